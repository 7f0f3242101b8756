#include "config/command_visibility_table.h"

namespace zelk {

// clang-format off
const CommandVisibilitySlot kCommandVisibilityTable[ZELK_MENU_FLAG_COUNT] = {
    // Toolbar: from offset 3872
    {u"Toolbar", u"ShowAppMenu"},
    {u"Toolbar", u"ShowPageMenu"},
    {u"Toolbar", u"BookmarkPage"},
    {u"Toolbar", u"OpenFile"},
    // PageMenu: from offset 3888
    {u"PageMenu", u"CreateShortcuts"},
    {u"PageMenu", u"Separator1"},
    {u"PageMenu", u"Cut"},
    {u"PageMenu", u"Copy"},
    {u"PageMenu", u"Paste"},
    {u"PageMenu", u"Separator2"},
    {u"PageMenu", u"Find"},
    {u"PageMenu", u"Save"},
    {u"PageMenu", u"Print"},
    {u"PageMenu", u"Separator3"},
    {u"PageMenu", u"zoom"},
    {u"PageMenu", u"Encoding"},
    {u"PageMenu", u"Separator4"},
    {u"PageMenu", u"DevTools"},
    {u"PageMenu", u"Separator5"},
    {u"PageMenu", u"ReportBug"},
    // AppMenu: from offset 3952
    {u"AppMenu", u"NewTab"},
    {u"AppMenu", u"NewWindow"},
    {u"AppMenu", u"NewIncognitoWindow"},
    {u"AppMenu", u"Separator1"},
    {u"AppMenu", u"BookmarkBar"},
    {u"AppMenu", u"FullScreen"},
    {u"AppMenu", u"Separator2"},
    {u"AppMenu", u"History"},
    {u"AppMenu", u"BookmarkManager"},
    {u"AppMenu", u"Downloads"},
    {u"AppMenu", u"Extensions"},
    {u"AppMenu", nullptr},  // no key: neither written nor read
    {u"AppMenu", u"SynchBookmarks"},
    {u"AppMenu", u"Separator4"},
    {u"AppMenu", u"Options"},
    {u"AppMenu", u"About"},
    {u"AppMenu", u"Help"},
    {u"AppMenu", u"Separator5"},
    {u"AppMenu", u"Exit"},
    // SystemMenu: from offset 4028
    {u"SystemMenu", u"Separator1"},
    {u"SystemMenu", u"TaskManager"},
    {u"SystemMenu", u"Separator2"},
    {u"SystemMenu", u"RestoreTab"},
    {u"SystemMenu", u"NewTab"},
    {u"SystemMenu", u"EncodingMenu"},
    {u"SystemMenu", u"ZoomMenu"},
    {u"SystemMenu", u"Print"},
    {u"SystemMenu", u"SavePage"},
    {u"SystemMenu", u"Find"},
    {u"SystemMenu", u"Separator3"},
    {u"SystemMenu", u"Paste"},
    {u"SystemMenu", u"Copy"},
    {u"SystemMenu", u"Cut"},
    {u"SystemMenu", u"Separator4"},
    {u"SystemMenu", u"ShowAsTab"},
    {u"SystemMenu", u"CopyURL"},
    {u"SystemMenu", u"DuplicateTab"},
    {u"SystemMenu", u"Separator5"},
    {u"SystemMenu", u"Reload"},
    {u"SystemMenu", u"Forward"},
    {u"SystemMenu", u"Back"},
    // ContextMenu: from offset 4116
    {u"ContextMenu", u"Back"},
    {u"ContextMenu", u"Forward"},
    {u"ContextMenu", u"Reload"},
    {u"ContextMenu", u"Separator1"},
    {u"ContextMenu", u"SavePageAs"},
    {u"ContextMenu", u"Print"},
    {u"ContextMenu", u"ViewPageSource"},
    {u"ContextMenu", u"ViewPageInfo"},
    {u"ContextMenu", u"OpenFrameNewTab"},
    {u"ContextMenu", u"OpenFrameNewWindow"},
    {u"ContextMenu", u"OpenFrameOffRecord"},
    {u"ContextMenu", u"Separator2"},
    {u"ContextMenu", u"ViewFrameSource"},
    {u"ContextMenu", u"ViewFrameInfo"},
    {u"ContextMenu", u"OpenLinkNewTab"},
    {u"ContextMenu", u"OpenLinkNewWindow"},
    {u"ContextMenu", u"OpenLinkOffRecord"},
    {u"ContextMenu", u"SaveLinkAs"},
    {u"ContextMenu", u"CopyLinkLocation"},
    {u"ContextMenu", u"SaveImageAs"},
    {u"ContextMenu", u"CopyImageLocation"},
    {u"ContextMenu", u"CopyImage"},
    {u"ContextMenu", u"OpenImageNewTab"},
    {u"ContextMenu", u"SaveAudioAs"},
    {u"ContextMenu", u"CopyAudioLocation"},
    {u"ContextMenu", u"OpenAudioNewTab"},
    {u"ContextMenu", u"Separator3"},
    {u"ContextMenu", u"SaveVideoAs"},
    {u"ContextMenu", u"CopyVideoLocation"},
    {u"ContextMenu", u"OpenVideoNewTab"},
    {u"ContextMenu", u"DevTools"},
    // AddressMenu: from offset 4240
    {u"AddressMenu", u"Undo"},
    {u"AddressMenu", u"Separator1"},
    {u"AddressMenu", u"Cut"},
    {u"AddressMenu", u"Copy"},
    {u"AddressMenu", u"Paste"},
    {u"AddressMenu", u"PasteAndGo"},
    {u"AddressMenu", u"Separator2"},
    {u"AddressMenu", u"SelectAll"},
    {u"AddressMenu", u"Separator3"},
    {u"AddressMenu", u"EditSearchEngines"},
    // BookmarkMenu: from offset 4280
    {u"BookmarkMenu", u"OpenAll"},
    {u"BookmarkMenu", u"OpenInNewTab"},
    {u"BookmarkMenu", u"OpenAllNewWindow"},
    {u"BookmarkMenu", u"OpenInNewWindow"},
    {u"BookmarkMenu", u"OpenAllIncognito"},
    {u"BookmarkMenu", u"OpenIncognito"},
    {u"BookmarkMenu", u"Separator1"},
    {u"BookmarkMenu", u"RenameFolder"},
    {u"BookmarkMenu", u"Edit"},
    {u"BookmarkMenu", u"Remove"},
    {u"BookmarkMenu", u"Separator2"},
    {u"BookmarkMenu", u"ManagerCut"},
    {u"BookmarkMenu", u"ManagerCopy"},
    {u"BookmarkMenu", u"ManagerPaste"},
    {u"BookmarkMenu", u"Separator3"},
    {u"BookmarkMenu", u"ManagerSort"},
    {u"BookmarkMenu", u"Separator4"},
    {u"BookmarkMenu", u"ManagerShowInFolder"},
    {u"BookmarkMenu", u"AddNew"},
    {u"BookmarkMenu", u"AddFolder"},
    {u"BookmarkMenu", u"Separator5"},
    {u"BookmarkMenu", u"ShowBookMarkManager"},
    {u"BookmarkMenu", u"AlwaysShowBar"},
    // TabMenu: from offset 4372
    {u"TabMenu", u"NewTab"},
    {u"TabMenu", u"Separator1"},
    {u"TabMenu", u"Reload"},
    {u"TabMenu", u"Duplicate"},
    {u"TabMenu", u"PinTab"},
    {u"TabMenu", u"Separator2"},
    {u"TabMenu", u"CloseTab"},
    {u"TabMenu", u"CloseOtherTabs"},
    {u"TabMenu", u"CloseTabsRight"},
    {u"TabMenu", u"CloseTabsOpened"},
    {u"TabMenu", u"Separator3"},
    {u"TabMenu", u"ReopenClosedTabs"},
    {u"TabMenu", u"BookmarkAllTabs"},
};

// By id. Several ids share a slot; where a key name occurs in several sections, only the
// section listed here governs the command.
const CommandMapping kCommandIdMap[kCommandMapSize] = {
    {34000, 3956},  // AppMenu/NewWindow
    {34001, 3960},  // AppMenu/NewIncognitoWindow
    {34014, 3952},  // AppMenu/NewTab
    {34030, 3972},  // AppMenu/FullScreen
    {34031, 4024},  // AppMenu/Exit
    {35000, 3880},  // Toolbar/BookmarkPage
    {35001, 3880},  // Toolbar/BookmarkPage
    {35003, 3920},  // PageMenu/Print
    {35004, 3916},  // PageMenu/Save
    {36000, 3896},  // PageMenu/Cut
    {36001, 3900},  // PageMenu/Copy
    {36003, 3904},  // PageMenu/Paste
    {37000, 3912},  // PageMenu/Find
    {37001, 3912},  // PageMenu/Find
    {37002, 3912},  // PageMenu/Find
    {38001, 3928},  // PageMenu/zoom
    {38002, 3928},  // PageMenu/zoom
    {38003, 3928},  // PageMenu/zoom
    {40000, 3884},  // Toolbar/OpenFile
    {40001, 3888},  // PageMenu/CreateShortcuts
    {40003, 3940},  // PageMenu/DevTools
    {40004, 3940},  // PageMenu/DevTools
    {40005, 4032},  // SystemMenu/TaskManager
    {40008, 3948},  // PageMenu/ReportBug
    {40009, 3968},  // AppMenu/BookmarkBar
    {40010, 3980},  // AppMenu/History
    {40011, 3984},  // AppMenu/BookmarkManager
    {40012, 3988},  // AppMenu/Downloads
    {40015, 4008},  // AppMenu/Options
    {40016, 4276},  // AddressMenu/EditSearchEngines
    {40018, 4012},  // AppMenu/About
    {40019, 4016},  // AppMenu/Help
    {40020, 3872},  // Toolbar/ShowAppMenu
    {40021, 3876},  // Toolbar/ShowPageMenu
    {40023, 3992},  // AppMenu/Extensions
    {41108, 4000},  // AppMenu/SynchBookmarks
};
// clang-format on

const CommandMapping* FindCommandMapping(int32_t command_id) {
  for (const CommandMapping& mapping : kCommandIdMap) {
    if (mapping.command_id == command_id) {
      return &mapping;
    }
  }
  return nullptr;
}

}  // namespace zelk
