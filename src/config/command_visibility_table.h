// The show-or-hide flags of the browser's toolbar and menus (the last 552 bytes of the
// settings record) and the fixed map from browser command ids to those flags.
#ifndef ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_
#define ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_

#include <cstddef>
#include <cstdint>

#include "zelk/zelk.h"

namespace zelk {

// One four-byte slot of the menu area. Every keyed slot is read with ReadBool, default 1
// (the entry stays). One slot has no key: nothing writes or reads it, so the host finds
// there whatever it left.
struct CommandVisibilitySlot {
  const char16_t* section;
  const char16_t* key;  // nullptr for the unkeyed slot
};

inline constexpr int32_t kMenuAreaOffset = 3872;
inline constexpr int kMenuFlagDefault = 1;

// The slots in record order, which is also the order the loader reads them.
extern const CommandVisibilitySlot kCommandVisibilityTable[ZELK_MENU_FLAG_COUNT];

// Offset in HostSettingsBlock of the slot at `index`.
constexpr int32_t MenuSlotOffset(size_t index) {
  return kMenuAreaOffset + static_cast<int32_t>(index) * 4;
}

// The browser command ids the library answers from a slot; any other id is allowed.
struct CommandMapping {
  int32_t command_id;
  int32_t slot_offset;
};

inline constexpr size_t kCommandMapSize = 36;
extern const CommandMapping kCommandIdMap[kCommandMapSize];

// The mapping of `command_id`, or nullptr when the map does not list it.
const CommandMapping* FindCommandMapping(int32_t command_id);

// The slot of a mapping, as an index into kCommandVisibilityTable.
constexpr size_t SlotIndexOfOffset(int32_t offset) {
  return static_cast<size_t>(offset - kMenuAreaOffset) / 4;
}

}  // namespace zelk

#endif  // ZELK_CONFIG_COMMAND_VISIBILITY_TABLE_H_
