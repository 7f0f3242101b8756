#include "tools/zelkctl/report/menu_model.h"

#include <cctype>

#include "common/text.h"
#include "config/command_visibility_table.h"

namespace zelk::tools {
namespace {

struct SectionName {
  const char* section;
  const char* title;
};

// How the browser names the part of its window that each section governs.
constexpr SectionName kSectionNames[] = {
    {"Toolbar", "Toolbar"},
    {"PageMenu", "Page menu"},
    {"AppMenu", "App menu"},
    {"SystemMenu", "System menu"},
    {"ContextMenu", "Context menu of the page"},
    {"AddressMenu", "Address bar menu"},
    {"BookmarkMenu", "Bookmark menu"},
    {"TabMenu", "Tab menu"},
};

std::string TitleOf(const std::string& section) {
  for (const SectionName& name : kSectionNames) {
    if (section == name.section) {
      return name.title;
    }
  }
  return section;
}

bool IsUpper(char c) {
  return std::isupper(static_cast<unsigned char>(c)) != 0;
}

bool IsLower(char c) {
  return std::islower(static_cast<unsigned char>(c)) != 0;
}

// A word starts at a capital after a small letter, and at the last capital of a run that a
// small letter follows ("URLBar": "URL", "Bar").
bool StartsWord(std::string_view key, size_t i) {
  if (i == 0 || !IsUpper(key[i])) {
    return false;
  }
  const bool after_small =
      IsLower(key[i - 1]) || std::isdigit(static_cast<unsigned char>(key[i - 1]));
  const bool ends_run = IsUpper(key[i - 1]) && i + 1 < key.size() && IsLower(key[i + 1]);
  return after_small || ends_run;
}

MenuEntry EntryOf(const CommandVisibilitySlot& slot, int32_t flag, const CommandQuestion& ask) {
  MenuEntry entry;
  entry.key = ToUtf8(slot.key);
  entry.label = EntryLabel(entry.key);
  entry.separator = entry.key.rfind("Separator", 0) == 0;
  entry.on = flag != 0;
  for (size_t i = 0; i < slot.id_count; ++i) {
    const int32_t id = slot.command_ids[i];
    entry.commands.push_back({id, ask ? ask(id) : std::nullopt});
  }
  return entry;
}

}  // namespace

std::string EntryLabel(std::string_view key) {
  std::string label;
  for (size_t i = 0; i < key.size(); ++i) {
    if (StartsWord(key, i)) {
      label += ' ';
    }
    label += i == 0 ? static_cast<char>(std::toupper(static_cast<unsigned char>(key[i]))) : key[i];
  }
  return label;
}

std::vector<Menu> BuildMenus(const HostSettingsBlock& record, const CommandQuestion& ask) {
  std::vector<Menu> menus;
  for (size_t i = 0; i < ZELK_MENU_FLAG_COUNT; ++i) {
    const CommandVisibilitySlot& slot = kCommandVisibilityTable[i];
    const std::string section = ToUtf8(slot.section);
    if (menus.empty() || menus.back().section != section) {
      menus.push_back({section, TitleOf(section), section == "Toolbar", {}});
    }
    if (slot.key != nullptr) {
      menus.back().entries.push_back(EntryOf(slot, record.menu_flags[i], ask));
    }
  }
  return menus;
}

}  // namespace zelk::tools
