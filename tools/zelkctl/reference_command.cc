// zelkctl reference: the configuration reference in Markdown, made from the key tables, so
// the README's reference cannot drift from what the library reads.
#include <string>

#include "common/text.h"
#include "config/command_visibility_table.h"
#include "config/settings_table.h"
#include "tools/zelkctl/cli.h"

namespace zelk::tools {
namespace {

std::string DefaultOf(const SettingKey& key) {
  if (key.type == ValueType::kBool) {
    return key.default_flag ? "TRUE" : "FALSE";
  }
  const std::string text = ToUtf8(key.default_text);
  return text.empty() ? "(empty)" : "`" + text + "`";
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

// The ids a slot answers for, e.g. " (ids 37000, 37001, 37002)".
std::string IdsOfSlot(size_t index) {
  std::string ids;
  for (const CommandMapping& mapping : kCommandIdMap) {
    if (SlotIndexOfOffset(mapping.slot_offset) == index) {
      ids += (ids.empty() ? "" : ", ") + std::to_string(mapping.command_id);
    }
  }
  return ids.empty() ? "" : " (" + ids + ")";
}

void PrintMenuSections() {
  PrintLine("");
  PrintLine("Toolbar and menu entries: booleans, default TRUE (the entry stays). FALSE takes the");
  PrintLine("entry away; the command ids in brackets are then refused by CheckCommand.");
  PrintLine("");
  std::string line;
  const char16_t* section = nullptr;
  for (size_t i = 0; i < ZELK_MENU_FLAG_COUNT; ++i) {
    const CommandVisibilitySlot& slot = kCommandVisibilityTable[i];
    if (slot.key == nullptr) {
      continue;
    }
    if (section == nullptr || std::u16string(section) != slot.section) {
      if (!line.empty()) {
        PrintLine(line);
      }
      section = slot.section;
      line = "- `" + ToUtf8(slot.section) + "`: ";
    } else {
      line += ", ";
    }
    line += ToUtf8(slot.key) + IdsOfSlot(i);
  }
  PrintLine(line);
}

int RunReference(Invocation&) {
  PrintLine("| Section | Key | Type | Default | Where | Meaning |");
  PrintLine("|---|---|---|---|---|---|");
  for (size_t i = 0; i < kSettingKeyCount; ++i) {
    const SettingKey& key = kSettingKeys[i];
    PrintLine("| `" + ToUtf8(key.section) + "` | `" + ToUtf8(key.key) + "` | " +
              (key.type == ValueType::kBool ? "boolean" : "text") + " | " + DefaultOf(key) +
              " | " + WhereOf(key) + " | " + key.meaning + " |");
  }
  PrintMenuSections();
  return kExitOk;
}

}  // namespace

const Command kReferenceCommand = {"reference", "",
                                   "print the configuration reference (Markdown) of every key",
                                   RunReference};

}  // namespace zelk::tools
