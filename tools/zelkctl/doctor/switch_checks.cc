// Switches that contradict each other, and the denied page's template.
#include "common/text.h"
#include "config/settings_table.h"
#include "platform/platform.h"
#include "profile/profile_layout.h"
#include "tools/zelkctl/doctor/bounded_file.h"
#include "tools/zelkctl/doctor/installation.h"

namespace zelk::tools::doctor {
namespace {

bool On(const Installation& installation, Setting setting) {
  return ReadBoolSetting(installation.source, setting) != 0;
}

bool Named(const Installation& installation, Setting setting) {
  return !ReadStringSetting(installation.source, setting).empty();
}

void CheckUrlSwitches(const Installation& installation, std::vector<Finding>* findings) {
  const bool checking = On(installation, Setting::kCheckUrlAccess);
  const bool file = Named(installation, Setting::kCheckUrlFile);
  if (checking && !file) {
    findings->push_back(installation.SettingFinding(
        Setting::kCheckUrlAccess, FindingKind::kUrlCheckWithoutFile, Severity::kError,
        "CheckURLAccess is on, but [Files] CheckURLFile names no filter file: no address is "
        "checked, every one loads; name the filter file"));
  } else if (!checking && file) {
    findings->push_back(installation.SettingFinding(
        Setting::kCheckUrlFile, FindingKind::kFilterFileUnused, Severity::kWarning,
        "CheckURLFile names a filter file, but [Browser] CheckURLAccess is off: the file is never "
        "read and every address loads; set CheckURLAccess=TRUE"));
  }
}

void CheckRestart(const Installation& installation, std::vector<Finding>* findings) {
  if (On(installation, Setting::kRestartOnClose) && !Named(installation, Setting::kCommandLine)) {
    findings->push_back(installation.SettingFinding(
        Setting::kRestartOnClose, FindingKind::kRestartWithoutCommand, Severity::kError,
        "RestartOnClose is on, but [Files] CommandLine is empty: the restart fails at every "
        "close; give the browser's command line, program first"));
  }
}

void CheckForceDefaults(const Installation& installation, std::vector<Finding>* findings) {
  if (On(installation, Setting::kForceDefaults) &&
      !Named(installation, Setting::kDefaultPreferences) &&
      !Named(installation, Setting::kDefaultBookmarks) &&
      !On(installation, Setting::kDefaultExtensions)) {
    findings->push_back(installation.SettingFinding(
        Setting::kForceDefaults, FindingKind::kForceWithoutDefaults, Severity::kWarning,
        "ForceDefaults is on, but neither DefaultPreferences, DefaultBookmarks nor "
        "DefaultExtensions gives anything to copy: it changes nothing"));
  }
}

// A profile folder that does not exist yet is normal before the browser's first run; one
// whose parent is missing too is a path the browser cannot have made.
void CheckProfileFolder(const Installation& installation, std::vector<Finding>* findings) {
  const std::u16string folder = ExpandedProfileFolder(installation.source);
  if (!On(installation, Setting::kCleanProfileOnClose) || folder.empty() ||
      platform::PathExists(folder)) {
    return;
  }
  const std::u16string parent = ParentFolder(folder);
  if (!parent.empty() && !platform::PathExists(parent)) {
    findings->push_back(installation.SettingFinding(
        Setting::kProfileFolder, FindingKind::kProfileFolderMissing, Severity::kWarning,
        "CleanProfileOnClose is on, but ProfileFolder \"" + DisplayPath(folder) +
            "\" does not exist, nor its parent folder: there is no profile to clean; check "
            "the path"));
  }
}

bool IsSchemeCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'-' || c == u'.';
}

// "scheme:" as an address starts: "https:", "about:", "file:".
bool StartsLikeAddress(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSchemeCharacter(text[i])) {
    ++i;
  }
  return i > 0 && i < text.size() && text[i] == u':';
}

}  // namespace

void CheckSwitches(const Installation& installation, std::vector<Finding>* findings) {
  CheckUrlSwitches(installation, findings);
  CheckRestart(installation, findings);
  CheckForceDefaults(installation, findings);
  CheckProfileFolder(installation, findings);
}

void CheckDeniedPage(const Installation& installation, std::vector<Finding>* findings) {
  const std::u16string page = ReadStringSetting(installation.source, Setting::kDeniedUrlHtml);
  std::u16string_view text = page;
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) {
    text.remove_prefix(1);
  }
  const bool html = !text.empty() && text.front() == u'<';
  if (text.empty()) {
    findings->push_back(installation.SettingFinding(
        Setting::kDeniedUrlHtml, FindingKind::kDeniedPageNotPage, Severity::kWarning,
        "DeniedURLHTML is empty: a refused address shows an empty page; leave the key out for "
        "about:blank, or write a page"));
  } else if (!html && !StartsLikeAddress(text)) {
    findings->push_back(installation.SettingFinding(
        Setting::kDeniedUrlHtml, FindingKind::kDeniedPageNotPage, Severity::kWarning,
        "DeniedURLHTML starts neither like a page (\"<\") nor like an address (\"https:\"): the "
        "browser shows it as it stands"));
  } else if (html && page.find(u"(DENIED_PAGE)") == std::u16string::npos &&
             page.find(u"(DENIED_WORD)") == std::u16string::npos) {
    findings->push_back(installation.SettingFinding(
        Setting::kDeniedUrlHtml, FindingKind::kDeniedPageNoPlaceholder, Severity::kWarning,
        "DeniedURLHTML holds neither (DENIED_PAGE) nor (DENIED_WORD) (upper case, in "
        "parentheses): the page never says which address was refused or why"));
  }
  if (platform::AnsiToWide(platform::WideToAnsi(page)) != page) {
    findings->push_back(installation.SettingFinding(
        Setting::kDeniedUrlHtml, FindingKind::kDeniedPageCodePage, Severity::kWarning,
        "DeniedURLHTML holds characters the host's code page lacks: they reach the browser as "
        "the code page's default character; write them as HTML character references "
        "(&#233;)"));
  }
}

}  // namespace zelk::tools::doctor
