#include "tools/zelkctl/support/key_catalog.h"

#include <algorithm>

#include "common/text.h"
#include "config/command_visibility_table.h"

namespace zelk::tools {
namespace {

std::vector<int> IdsOfSlot(const CommandVisibilitySlot& slot) {
  return std::vector<int>(slot.command_ids, slot.command_ids + slot.id_count);
}

// The rank of a section among the non-menu keys: the position of its first key in the table.
size_t SectionRank(const std::string& section) {
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    if (ToUtf8(kSettingKeys[i].section) == section) {
      return i;
    }
  }
  return kSettingKeyCount;
}

std::string MenuMeaning(const CommandVisibilitySlot& slot) {
  const std::string key = ToUtf8(slot.key);
  const std::string section = ToUtf8(slot.section);
  if (key.rfind("Separator", 0) == 0) {
    return "Show this separator of the " + section + ".";
  }
  return section == "Toolbar" ? "Show the toolbar entry " + key + "."
                              : "Show the entry " + key + " of the " + section + ".";
}

std::string WhereOf(const SettingKey& key) {
  switch (key.destination) {
    case Destination::kRecord:
      return "record offset " + std::to_string(key.record_offset);
    case Destination::kConfigSource:
      return "kept by the library";
    case Destination::kReadAtUse:
      return "read when used";
  }
  return "";
}

}  // namespace

std::vector<CatalogKey> AllKeys() {
  std::vector<CatalogKey> keys;
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& k = kSettingKeys[i];
    keys.push_back(
        {ToUtf8(k.section),
         ToUtf8(k.key),
         k.type,
         k.kind,
         k.type == ValueType::kBool ? (k.default_flag ? "TRUE" : "FALSE") : ToUtf8(k.default_text),
         k.meaning,
         k.security_relevant,
         {},
         WhereOf(k),
         k.destination == Destination::kRecord ? k.record_offset : -1,
         -1});
  }
  // Keys of one section stay together, in the loader's order of sections.
  std::stable_sort(keys.begin(), keys.end(), [](const CatalogKey& a, const CatalogKey& b) {
    return SectionRank(a.section) < SectionRank(b.section);
  });
  for (size_t i = 0; i < ZELK_MENU_FLAG_COUNT; ++i) {
    const CommandVisibilitySlot& slot = kCommandVisibilityTable[i];
    if (slot.key != nullptr) {
      keys.push_back({ToUtf8(slot.section), ToUtf8(slot.key), ValueType::kBool, KeyKind::kMenuFlag,
                      "TRUE", MenuMeaning(slot), true, IdsOfSlot(slot),
                      "record offset " + std::to_string(MenuSlotOffset(i)), MenuSlotOffset(i),
                      static_cast<int>(i)});
    }
  }
  return keys;
}

std::vector<std::string> AllSections() {
  std::vector<std::string> sections;
  for (const CatalogKey& key : AllKeys()) {
    if (std::find(sections.begin(), sections.end(), key.section) == sections.end()) {
      sections.push_back(key.section);
    }
  }
  return sections;
}

}  // namespace zelk::tools
