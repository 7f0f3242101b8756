// The show-or-hide flags of the browser's toolbar and menus (the menu_flags of the settings
// record) and the fixed map from browser command ids to those flags. Each slot carries the
// command ids it governs, so the id map is derived from the slots and cannot drift.
#ifndef ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_
#define ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_

#include <cstddef>
#include <cstdint>

#include "zelk/zelk.h"

namespace zelk {

// The most command ids that share one slot.
inline constexpr size_t kMaxIdsPerSlot = 3;

// One four-byte slot of the menu area. Every keyed slot is read with ReadBool, default 1
// (the entry stays). One slot has no key: nothing writes or reads it, so the host finds
// there whatever it left.
struct CommandVisibilitySlot {
  const char16_t* section;
  const char16_t* key;  // nullptr for the unkeyed slot
  size_t id_count = 0;  // how many of command_ids are used
  int32_t command_ids[kMaxIdsPerSlot] = {};
};

inline constexpr int32_t kMenuAreaOffset =
    static_cast<int32_t>(offsetof(HostSettingsBlock, menu_flags));
inline constexpr int32_t kMenuSlotSize = static_cast<int32_t>(sizeof(int32_t));
inline constexpr int kMenuFlagDefault = 1;

// The slots in record order, which is also the order the loader reads them.
extern const CommandVisibilitySlot kCommandVisibilityTable[ZELK_MENU_FLAG_COUNT];

// Offset in HostSettingsBlock of the slot at `index`.
constexpr int32_t MenuSlotOffset(size_t index) {
  return kMenuAreaOffset + static_cast<int32_t>(index) * kMenuSlotSize;
}

// One entry of the command-id map: the browser command id and the slot that answers it.
struct CommandMapping {
  int32_t command_id;
  size_t slot;  // index into kCommandVisibilityTable and HostSettingsBlock::menu_flags
};

// The number of ids the slots carry, checked against the map's fixed size.
inline constexpr size_t kCommandMapSize = 36;

// The mapping of `command_id` in the map derived from the slots, or nullptr when the map
// does not list it; any other id is allowed.
const CommandMapping* FindCommandMapping(int32_t command_id);

}  // namespace zelk

#endif  // ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_
