// The ten exports: the library's whole interface to the browser host.
#include "zelk/zelk.h"

extern "C" {

int ZELK_CALL Start(void) { return 0; }
int ZELK_CALL End(void) { return 0; }
int ZELK_CALL GetSettings(HostSettingsBlock*) { return 0; }
int ZELK_CALL CheckCommand(int) { return 1; }
int ZELK_CALL CheckURL(char*, int, const char*) { return 1; }
int ZELK_CALL CleanProfile(void) { return 0; }
int ZELK_CALL Override(const ZelkWideChar*) { return 1; }
int ZELK_CALL GetAboutString(ZelkWideChar*, int) { return 1; }
void ZELK_CALL GetProfilePath(ZelkWideChar*, int) {}
void ZELK_CALL GetBookmarkBarText(ZelkWideChar*, int) {}

}  // extern "C"
