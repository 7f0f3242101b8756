#include "config/command_visibility_table.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

namespace zelk {
namespace {

// A slot and the command ids it answers; more ids than a slot holds do not compile.
constexpr CommandVisibilitySlot Slot(const char16_t* section,
                                     const char16_t* key,
                                     std::initializer_list<int32_t> ids = {}) {
  CommandVisibilitySlot slot{section, key};
  if (ids.size() > kMaxIdsPerSlot) {
    throw "too many command ids for one slot";
  }
  for (int32_t id : ids) {
    slot.command_ids[slot.id_count++] = id;
  }
  return slot;
}

}  // namespace

// clang-format off
constexpr CommandVisibilitySlot kCommandVisibilityTable[] = {
    // Toolbar
    Slot(u"Toolbar", u"ShowAppMenu", {40020}),
    Slot(u"Toolbar", u"ShowPageMenu", {40021}),
    Slot(u"Toolbar", u"BookmarkPage", {35000, 35001}),
    Slot(u"Toolbar", u"OpenFile", {40000}),
    // PageMenu
    Slot(u"PageMenu", u"CreateShortcuts", {40001}),
    Slot(u"PageMenu", u"Separator1"),
    Slot(u"PageMenu", u"Cut", {36000}),
    Slot(u"PageMenu", u"Copy", {36001}),
    Slot(u"PageMenu", u"Paste", {36003}),
    Slot(u"PageMenu", u"Separator2"),
    Slot(u"PageMenu", u"Find", {37000, 37001, 37002}),
    Slot(u"PageMenu", u"Save", {35004}),
    Slot(u"PageMenu", u"Print", {35003}),
    Slot(u"PageMenu", u"Separator3"),
    Slot(u"PageMenu", u"zoom", {38001, 38002, 38003}),
    Slot(u"PageMenu", u"Encoding"),
    Slot(u"PageMenu", u"Separator4"),
    Slot(u"PageMenu", u"DevTools", {40003, 40004}),
    Slot(u"PageMenu", u"Separator5"),
    Slot(u"PageMenu", u"ReportBug", {40008}),
    // AppMenu
    Slot(u"AppMenu", u"NewTab", {34014}),
    Slot(u"AppMenu", u"NewWindow", {34000}),
    Slot(u"AppMenu", u"NewIncognitoWindow", {34001}),
    Slot(u"AppMenu", u"Separator1"),
    Slot(u"AppMenu", u"BookmarkBar", {40009}),
    Slot(u"AppMenu", u"FullScreen", {34030}),
    Slot(u"AppMenu", u"Separator2"),
    Slot(u"AppMenu", u"History", {40010}),
    Slot(u"AppMenu", u"BookmarkManager", {40011}),
    Slot(u"AppMenu", u"Downloads", {40012}),
    Slot(u"AppMenu", u"Extensions", {40023}),
    Slot(u"AppMenu", nullptr),  // no key: neither written nor read
    Slot(u"AppMenu", u"SynchBookmarks", {41108}),
    Slot(u"AppMenu", u"Separator4"),
    Slot(u"AppMenu", u"Options", {40015}),
    Slot(u"AppMenu", u"About", {40018}),
    Slot(u"AppMenu", u"Help", {40019}),
    Slot(u"AppMenu", u"Separator5"),
    Slot(u"AppMenu", u"Exit", {34031}),
    // SystemMenu
    Slot(u"SystemMenu", u"Separator1"),
    Slot(u"SystemMenu", u"TaskManager", {40005}),
    Slot(u"SystemMenu", u"Separator2"),
    Slot(u"SystemMenu", u"RestoreTab"),
    Slot(u"SystemMenu", u"NewTab"),
    Slot(u"SystemMenu", u"EncodingMenu"),
    Slot(u"SystemMenu", u"ZoomMenu"),
    Slot(u"SystemMenu", u"Print"),
    Slot(u"SystemMenu", u"SavePage"),
    Slot(u"SystemMenu", u"Find"),
    Slot(u"SystemMenu", u"Separator3"),
    Slot(u"SystemMenu", u"Paste"),
    Slot(u"SystemMenu", u"Copy"),
    Slot(u"SystemMenu", u"Cut"),
    Slot(u"SystemMenu", u"Separator4"),
    Slot(u"SystemMenu", u"ShowAsTab"),
    Slot(u"SystemMenu", u"CopyURL"),
    Slot(u"SystemMenu", u"DuplicateTab"),
    Slot(u"SystemMenu", u"Separator5"),
    Slot(u"SystemMenu", u"Reload"),
    Slot(u"SystemMenu", u"Forward"),
    Slot(u"SystemMenu", u"Back"),
    // ContextMenu
    Slot(u"ContextMenu", u"Back"),
    Slot(u"ContextMenu", u"Forward"),
    Slot(u"ContextMenu", u"Reload"),
    Slot(u"ContextMenu", u"Separator1"),
    Slot(u"ContextMenu", u"SavePageAs"),
    Slot(u"ContextMenu", u"Print"),
    Slot(u"ContextMenu", u"ViewPageSource"),
    Slot(u"ContextMenu", u"ViewPageInfo"),
    Slot(u"ContextMenu", u"OpenFrameNewTab"),
    Slot(u"ContextMenu", u"OpenFrameNewWindow"),
    Slot(u"ContextMenu", u"OpenFrameOffRecord"),
    Slot(u"ContextMenu", u"Separator2"),
    Slot(u"ContextMenu", u"ViewFrameSource"),
    Slot(u"ContextMenu", u"ViewFrameInfo"),
    Slot(u"ContextMenu", u"OpenLinkNewTab"),
    Slot(u"ContextMenu", u"OpenLinkNewWindow"),
    Slot(u"ContextMenu", u"OpenLinkOffRecord"),
    Slot(u"ContextMenu", u"SaveLinkAs"),
    Slot(u"ContextMenu", u"CopyLinkLocation"),
    Slot(u"ContextMenu", u"SaveImageAs"),
    Slot(u"ContextMenu", u"CopyImageLocation"),
    Slot(u"ContextMenu", u"CopyImage"),
    Slot(u"ContextMenu", u"OpenImageNewTab"),
    Slot(u"ContextMenu", u"SaveAudioAs"),
    Slot(u"ContextMenu", u"CopyAudioLocation"),
    Slot(u"ContextMenu", u"OpenAudioNewTab"),
    Slot(u"ContextMenu", u"Separator3"),
    Slot(u"ContextMenu", u"SaveVideoAs"),
    Slot(u"ContextMenu", u"CopyVideoLocation"),
    Slot(u"ContextMenu", u"OpenVideoNewTab"),
    Slot(u"ContextMenu", u"DevTools"),
    // AddressMenu
    Slot(u"AddressMenu", u"Undo"),
    Slot(u"AddressMenu", u"Separator1"),
    Slot(u"AddressMenu", u"Cut"),
    Slot(u"AddressMenu", u"Copy"),
    Slot(u"AddressMenu", u"Paste"),
    Slot(u"AddressMenu", u"PasteAndGo"),
    Slot(u"AddressMenu", u"Separator2"),
    Slot(u"AddressMenu", u"SelectAll"),
    Slot(u"AddressMenu", u"Separator3"),
    Slot(u"AddressMenu", u"EditSearchEngines", {40016}),
    // BookmarkMenu
    Slot(u"BookmarkMenu", u"OpenAll"),
    Slot(u"BookmarkMenu", u"OpenInNewTab"),
    Slot(u"BookmarkMenu", u"OpenAllNewWindow"),
    Slot(u"BookmarkMenu", u"OpenInNewWindow"),
    Slot(u"BookmarkMenu", u"OpenAllIncognito"),
    Slot(u"BookmarkMenu", u"OpenIncognito"),
    Slot(u"BookmarkMenu", u"Separator1"),
    Slot(u"BookmarkMenu", u"RenameFolder"),
    Slot(u"BookmarkMenu", u"Edit"),
    Slot(u"BookmarkMenu", u"Remove"),
    Slot(u"BookmarkMenu", u"Separator2"),
    Slot(u"BookmarkMenu", u"ManagerCut"),
    Slot(u"BookmarkMenu", u"ManagerCopy"),
    Slot(u"BookmarkMenu", u"ManagerPaste"),
    Slot(u"BookmarkMenu", u"Separator3"),
    Slot(u"BookmarkMenu", u"ManagerSort"),
    Slot(u"BookmarkMenu", u"Separator4"),
    Slot(u"BookmarkMenu", u"ManagerShowInFolder"),
    Slot(u"BookmarkMenu", u"AddNew"),
    Slot(u"BookmarkMenu", u"AddFolder"),
    Slot(u"BookmarkMenu", u"Separator5"),
    Slot(u"BookmarkMenu", u"ShowBookMarkManager"),
    Slot(u"BookmarkMenu", u"AlwaysShowBar"),
    // TabMenu
    Slot(u"TabMenu", u"NewTab"),
    Slot(u"TabMenu", u"Separator1"),
    Slot(u"TabMenu", u"Reload"),
    Slot(u"TabMenu", u"Duplicate"),
    Slot(u"TabMenu", u"PinTab"),
    Slot(u"TabMenu", u"Separator2"),
    Slot(u"TabMenu", u"CloseTab"),
    Slot(u"TabMenu", u"CloseOtherTabs"),
    Slot(u"TabMenu", u"CloseTabsRight"),
    Slot(u"TabMenu", u"CloseTabsOpened"),
    Slot(u"TabMenu", u"Separator3"),
    Slot(u"TabMenu", u"ReopenClosedTabs"),
    Slot(u"TabMenu", u"BookmarkAllTabs"),
};
// clang-format on

namespace {

constexpr size_t kSlotCount = sizeof(kCommandVisibilityTable) / sizeof(kCommandVisibilityTable[0]);
static_assert(kSlotCount == ZELK_MENU_FLAG_COUNT, "one slot for every menu flag");
static_assert(sizeof(HostSettingsBlock::menu_flags) == kSlotCount * kMenuSlotSize,
              "the slots fill the menu area");
static_assert(MenuSlotOffset(kSlotCount) == ZELK_HOST_SETTINGS_BLOCK_SIZE,
              "the menu area ends the record");

// The sections in the loader's order, with the number of slots of each.
struct SectionSize {
  std::u16string_view section;
  size_t slots;
};
constexpr SectionSize kSectionSizes[] = {
    {u"Toolbar", 4},      {u"PageMenu", 16},    {u"AppMenu", 19},      {u"SystemMenu", 22},
    {u"ContextMenu", 31}, {u"AddressMenu", 10}, {u"BookmarkMenu", 23}, {u"TabMenu", 13},
};

// Each section's slots stand together, in the order and number above.
constexpr bool SectionsInOrder() {
  size_t index = 0;
  for (const SectionSize& size : kSectionSizes) {
    for (size_t i = 0; i < size.slots; ++i, ++index) {
      // A row missing from the initializer would be zero-filled: no section.
      if (index >= kSlotCount || kCommandVisibilityTable[index].section == nullptr ||
          kCommandVisibilityTable[index].section != size.section) {
        return false;
      }
    }
  }
  return index == kSlotCount;
}
static_assert(SectionsInOrder(), "menu sections in loader order with their slot counts");

constexpr size_t CountIds() {
  size_t count = 0;
  for (const CommandVisibilitySlot& slot : kCommandVisibilityTable) {
    if (slot.id_count > kMaxIdsPerSlot || (slot.key == nullptr && slot.id_count != 0)) {
      return 0;
    }
    count += slot.id_count;
  }
  return count;
}
static_assert(CountIds() == kCommandMapSize, "the slots carry the 36 ids of the map");

// The map, sorted by id, made from the ids the slots carry.
constexpr std::array<CommandMapping, kCommandMapSize> BuildCommandMap() {
  std::array<CommandMapping, kCommandMapSize> map{};
  size_t used = 0;
  for (size_t slot = 0; slot < kSlotCount; ++slot) {
    const CommandVisibilitySlot& entry = kCommandVisibilityTable[slot];
    for (size_t i = 0; i < entry.id_count; ++i) {
      // Insertion keeps the map in ascending order of id.
      size_t at = used++;
      while (at > 0 && map[at - 1].command_id > entry.command_ids[i]) {
        map[at] = map[at - 1];
        --at;
      }
      map[at] = CommandMapping{entry.command_ids[i], slot};
    }
  }
  return map;
}
constexpr std::array<CommandMapping, kCommandMapSize> kCommandIdMap = BuildCommandMap();

constexpr bool IdsUnique() {
  for (size_t i = 1; i < kCommandMapSize; ++i) {
    if (kCommandIdMap[i - 1].command_id == kCommandIdMap[i].command_id) {
      return false;
    }
  }
  return true;
}
static_assert(IdsUnique(), "no command id governed by two slots");

}  // namespace

const CommandMapping* FindCommandMapping(int32_t command_id) {
  const auto found = std::lower_bound(
      kCommandIdMap.begin(), kCommandIdMap.end(), command_id,
      [](const CommandMapping& mapping, int32_t id) { return mapping.command_id < id; });
  return found != kCommandIdMap.end() && found->command_id == command_id ? &*found : nullptr;
}

}  // namespace zelk
