/*
 * zelk.h: the interface between the kiosk browser and the Zelk library.
 *
 * The ABI promise:
 *   - exactly ten functions are exported, under the plain, undecorated names below;
 *   - every one uses the C calling convention (on 32-bit Windows __cdecl: arguments are
 *     pushed right to left and the caller removes them);
 *   - arguments and results are 32-bit integers and pointers; wide text is UTF-16
 *     (wchar_t on Windows, char16_t on Linux), narrow text is in the calling thread's
 *     ANSI code page (UTF-8 on Linux);
 *   - HostSettingsBlock is a fixed binary record of 4424 bytes, checked below field by
 *     field; it never changes shape.
 *
 * The host calls Start once before it opens the browser profile, GetSettings whenever it
 * wants the settings (re)loaded, CheckCommand and CheckURL any number of times, and End
 * and CleanProfile when the browser closes. Calls must not overlap: the library keeps one
 * state object and takes no locks.
 */
#ifndef ZELK_ZELK_H_
#define ZELK_ZELK_H_

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define ZELK_CALL __cdecl
typedef wchar_t ZelkWideChar;
#else
#define ZELK_CALL
#ifdef __cplusplus
typedef char16_t ZelkWideChar;
#else
#include <uchar.h>
typedef char16_t ZelkWideChar;
#endif
#endif

/* On Windows the export list is fixed by src/zelk.def; elsewhere by symbol visibility. */
#if defined(ZELK_BUILDING_LIBRARY) && !defined(_WIN32)
#define ZELK_API __attribute__((visibility("default")))
#else
#define ZELK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Number of show-or-hide flags of the browser's toolbar and menus (offsets 3872..4423). */
#define ZELK_MENU_FLAG_COUNT 138

/*
 * The settings record handed to the host by GetSettings. Text fields hold a narrow string
 * in the calling thread's ANSI code page, terminated inside the field; bytes after the
 * terminator are left as the host had them. Flags hold exactly 0 or 1.
 */
typedef struct HostSettingsBlock {
  char title[1024];                         /* 0x000  Browser/Title */
  char help_page_url[1024];                 /* 0x400  Browser/HelpPageURL */
  char new_tab_url[1024];                   /* 0x800  Browser/NewTabURL */
  int32_t only_load_http;                   /* 0xC00  Browser/OnlyLoadHTTP */
  int32_t clean_profile_on_close;           /* 0xC04  Browser/CleanProfileOnClose */
  int32_t check_url_access;                 /* 0xC08  Browser/CheckURLAccess */
  int32_t first_run_ui_bupass;              /* 0xC0C  Browser/FirstRunUIBupass */
  char profile_folder[260];                 /* 0xC10  Browser/ProfileFolder */
  char default_preferences[260];            /* 0xD14  Browser/DefaultPreferences */
  char default_bookmarks[260];              /* 0xE18  Browser/DefaultBookmarks */
  int32_t enable_overrides;                 /* 0xF1C  Overrides/EnableOverrides */
  int32_t menu_flags[ZELK_MENU_FLAG_COUNT]; /* 0xF20  Toolbar ... TabMenu */
} HostSettingsBlock;

#define ZELK_HOST_SETTINGS_BLOCK_SIZE 4424

/* Looks up zelk.ini beside the host's executable and seeds the browser profile.
   0 when zelk.ini is missing or no copy step ran, else the last copy step's result. */
ZELK_API int ZELK_CALL Start(void);
/* Relaunches the browser when RestartOnClose is set: 1 when a restart was attempted. */
ZELK_API int ZELK_CALL End(void);
/* Fills the host's record from the configuration: 1 when zelk.ini exists, else 0. */
ZELK_API int ZELK_CALL GetSettings(HostSettingsBlock* block);
/* 1 when the browser command may run, 0 when it may not. */
ZELK_API int ZELK_CALL CheckCommand(int command_id);
/* 1: the address may load (buffer unchanged, or "About:Blank" when the filter file could
   not be loaded); 0: refused, the buffer holds the denied page. capacity is in bytes. */
ZELK_API int ZELK_CALL CheckURL(char* url, int capacity, const char* other);
/* Empties the default profile folder when CleanProfileOnClose is set: 1 when it ran. */
ZELK_API int ZELK_CALL CleanProfile(void);
/* Shows the text in a message box; always 1. */
ZELK_API int ZELK_CALL Override(const ZelkWideChar* text);
/* Copies the about text; 0 when it was copied whole. count is in characters. */
ZELK_API int ZELK_CALL GetAboutString(ZelkWideChar* buffer, int count);
/* Copies ProfileFolder with environment references expanded. */
ZELK_API void ZELK_CALL GetProfilePath(ZelkWideChar* buffer, int count);
/* Copies BookmarkBarText. */
ZELK_API void ZELK_CALL GetBookmarkBarText(ZelkWideChar* buffer, int count);

/* Pointer types of the exports, for hosts that load the library at run time. */
typedef int(ZELK_CALL* ZelkStartFn)(void);
typedef int(ZELK_CALL* ZelkEndFn)(void);
typedef int(ZELK_CALL* ZelkGetSettingsFn)(HostSettingsBlock*);
typedef int(ZELK_CALL* ZelkCheckCommandFn)(int);
typedef int(ZELK_CALL* ZelkCheckURLFn)(char*, int, const char*);
typedef int(ZELK_CALL* ZelkCleanProfileFn)(void);
typedef int(ZELK_CALL* ZelkOverrideFn)(const ZelkWideChar*);
typedef int(ZELK_CALL* ZelkGetAboutStringFn)(ZelkWideChar*, int);
typedef void(ZELK_CALL* ZelkGetProfilePathFn)(ZelkWideChar*, int);
typedef void(ZELK_CALL* ZelkGetBookmarkBarTextFn)(ZelkWideChar*, int);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* The record's layout is a binary contract: check every offset at compile time. */
#ifdef __cplusplus
#define ZELK_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define ZELK_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
ZELK_STATIC_ASSERT(sizeof(HostSettingsBlock) == ZELK_HOST_SETTINGS_BLOCK_SIZE, "record size");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, title) == 0, "Title");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, help_page_url) == 1024, "HelpPageURL");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, new_tab_url) == 2048, "NewTabURL");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, only_load_http) == 3072, "OnlyLoadHTTP");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, clean_profile_on_close) == 3076,
                   "CleanProfileOnClose");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, check_url_access) == 3080, "CheckURLAccess");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, first_run_ui_bupass) == 3084, "FirstRunUIBupass");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, profile_folder) == 3088, "ProfileFolder");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, default_preferences) == 3348, "DefaultPreferences");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, default_bookmarks) == 3608, "DefaultBookmarks");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, enable_overrides) == 3868, "EnableOverrides");
ZELK_STATIC_ASSERT(offsetof(HostSettingsBlock, menu_flags) == 3872, "menu flags");
ZELK_STATIC_ASSERT(sizeof(ZelkWideChar) == 2, "wide text is UTF-16");

#endif /* ZELK_ZELK_H_ */
