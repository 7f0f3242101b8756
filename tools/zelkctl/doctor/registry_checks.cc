// The registry's values as the library's readers take or ignore them: only strings of
// up to 1023 characters, properly terminated, count.
#include "tools/zelkctl/doctor/registry_checks.h"

#include <cstdint>

#include "common/text.h"
#include "tools/zelkctl/doctor/installation.h"
#include "tools/zelkctl/doctor/known_keys.h"
#include "tools/zelkctl/doctor/value_checks.h"

namespace zelk::tools::doctor {
namespace {

using platform::RegistryHive;

constexpr RegistryHive kHives[] = {RegistryHive::kLocalMachine, RegistryHive::kCurrentUser};

// What the reader takes, and how far doctor looks to say how long a value really is.
constexpr size_t kReaderChars = 1024;
constexpr size_t kProbeBytes = size_t{1} << 20;

struct TypeName {
  uint32_t type;
  const char* name;
};
constexpr TypeName kTypeNames[] = {
    {0, "REG_NONE"},
    {platform::kRegSz, "REG_SZ"},
    {platform::kRegExpandSz, "REG_EXPAND_SZ"},
    {platform::kRegBinary, "REG_BINARY"},
    {platform::kRegDword, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {platform::kRegMultiSz, "REG_MULTI_SZ"},
    {11, "REG_QWORD"},
};

std::string TypeText(uint32_t type) {
  for (const TypeName& known : kTypeNames) {
    if (known.type == type) {
      return known.name;
    }
  }
  return "a value of type " + std::to_string(type);
}

std::u16string TextOf(const std::vector<uint8_t>& data) {
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) {
      break;
    }
    text.push_back(c);
  }
  return text;
}

class RegistryCheck {
 public:
  RegistryCheck(const Installation& installation, std::vector<Finding>* findings)
      : installation_(installation), findings_(findings) {}

  void Run(const KnownKey& key, RegistryHive hive) {
    platform::RegistryValue value;
    const uint32_t error = platform::QueryRegistryValue(hive, RegistryKeyOfSection(key.section),
                                                        key.key, kProbeBytes, &value);
    if (error == platform::kErrorMoreData) {
      return Add(key, hive, FindingKind::kRegistryValueTooLong,
                 "is longer than " + std::to_string(kProbeBytes / 2) +
                     " characters: the reader takes values of up to 1023, so it is ignored");
    }
    if (error == platform::kErrorSuccess) {
      Examine(key, hive, value);
    }
  }

 private:
  void Add(const KnownKey& key,
           RegistryHive hive,
           FindingKind kind,
           const std::string& text,
           Severity severity = Severity::kError) {
    findings_->push_back({installation_.registry.FileOf(hive, key.section),
                          installation_.registry.LineOf(hive, key.section, key.key), severity, kind,
                          std::string(HiveName(hive)) + " value " + ToUtf8(key.key) + " " + text,
                          ToUtf8(key.section), ToUtf8(key.key)});
  }

  void Examine(const KnownKey& key, RegistryHive hive, const platform::RegistryValue& value) {
    const std::vector<uint8_t>& data = value.data;
    if (value.type != platform::kRegSz && value.type != platform::kRegExpandSz) {
      return Add(key, hive, FindingKind::kRegistryTypeIgnored,
                 "is " + TypeText(value.type) +
                     ": the library reads only strings (REG_SZ), so it is ignored; write it as "
                     "the string " +
                     (key.type == ValueType::kBool ? "TRUE or FALSE" : "value"));
    }
    if (data.size() > kReaderChars * 2) {
      return Add(key, hive, FindingKind::kRegistryValueTooLong,
                 "is " + std::to_string(data.size() / 2) +
                     " characters: the reader takes values of up to 1023, so it is ignored");
    }
    if (data.size() % 2 != 0 ||
        (!data.empty() && (data.back() != 0 || data[data.size() - 2] != 0))) {
      return Add(key, hive, FindingKind::kRegistryValueMalformed,
                 "has an odd length or no terminating zero, so the library ignores it");
    }
    const std::u16string text = TextOf(data);
    for (ValueFinding& found : CheckValue(key, text, text, ValueSource::kRegistry)) {
      findings_->push_back({installation_.registry.FileOf(hive, key.section),
                            installation_.registry.LineOf(hive, key.section, key.key),
                            found.severity, found.kind,
                            std::string(HiveName(hive)) + ": " + found.message, ToUtf8(key.section),
                            ToUtf8(key.key)});
    }
  }

  const Installation& installation_;
  std::vector<Finding>* findings_;
};

void CheckUserOverride(const Installation& installation,
                       const KnownKey& key,
                       std::vector<Finding>* findings) {
  const std::string text = UserOverrideText(key.security_relevant,
                                            InspectKey(installation.source, key.section, key.key));
  if (!text.empty()) {
    findings->push_back(
        {installation.registry.FileOf(RegistryHive::kCurrentUser, key.section),
         installation.registry.LineOf(RegistryHive::kCurrentUser, key.section, key.key),
         Severity::kWarning, FindingKind::kUserOverride, ToUtf8(key.key) + ": " + text,
         ToUtf8(key.section), ToUtf8(key.key)});
  }
}

// Names written below the product's key in the .reg file that no key of the library has.
void CheckWrittenNames(const Installation& installation, std::vector<Finding>* findings) {
  const RegistryPlaces& registry = installation.registry;
  for (const RegistryLine& line : registry.lines()) {
    const std::string where = std::string(HiveName(line.hive)) + " ";
    if (line.name.empty() && KnownSection(line.section).empty()) {
      const std::string hint = SuggestSection(line.section);
      findings->push_back({registry.file(), line.line, Severity::kError,
                           FindingKind::kUnknownSection,
                           where + "key " + ToUtf8(line.section) +
                               ": no section of that name, so the library reads nothing in it" +
                               (hint.empty() ? "" : "; " + hint),
                           "", ""});
    } else if (!line.name.empty() && !KnownSection(line.section).empty() &&
               FindKnownKey(line.section, line.name) == nullptr) {
      const std::string hint = SuggestKey(line.section, line.name);
      findings->push_back({registry.file(), line.line, Severity::kError, FindingKind::kUnknownKey,
                           where + "value " + ToUtf8(line.name) + " in " + ToUtf8(line.section) +
                               ": the library never reads it" + (hint.empty() ? "" : "; " + hint),
                           ToUtf8(KnownSection(line.section)), ToUtf8(line.name)});
    }
  }
}

}  // namespace

std::string UserOverrideText(bool security_relevant, const KeyLevels& levels) {
  if (!security_relevant || !levels.current_user.present) {
    return "";
  }
  if (!levels.local_machine.present && !levels.ini_file.present) {
    return "";
  }
  const std::string overridden = levels.local_machine.present ? "HKLM" : "zelk.ini";
  return "HKCU overrides the value set in " + overridden +
         "; the kiosk's own user can change it unless its key is locked";
}

void CheckRegistry(const Installation& installation, std::vector<Finding>* findings) {
  RegistryCheck check(installation, findings);
  for (const KnownKey& key : KnownKeys()) {
    for (RegistryHive hive : kHives) {
      check.Run(key, hive);
    }
    CheckUserOverride(installation, key, findings);
  }
  CheckWrittenNames(installation, findings);
}

}  // namespace zelk::tools::doctor
