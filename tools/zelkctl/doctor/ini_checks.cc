#include "tools/zelkctl/doctor/ini_checks.h"

#include <map>
#include <string>

#include "common/text.h"
#include "platform/emulation/ini_text.h"
#include "tools/zelkctl/doctor/doctor.h"
#include "tools/zelkctl/doctor/known_keys.h"
#include "tools/zelkctl/doctor/value_checks.h"

namespace zelk::tools::doctor {
namespace {

using Kind = IniScanLine::Kind;

// More than any real zelk.ini gives: a file with more findings is not a configuration
// gone wrong but the wrong file, and checking it all would take long for nothing.
constexpr size_t kMostFindings = 500;

// A text that no line can hold, to learn whether the reader found a key at all.
constexpr std::u16string_view kAbsent = u"\x01\x02zelk-doctor-absent\x02\x01";

bool IsAsciiName(std::u16string_view name) {
  for (char16_t c : name) {
    if (c >= 0x80) {
      return false;
    }
  }
  return true;
}

std::string Bracketed(std::u16string_view name) {
  return "[" + ToUtf8(name) + "]";
}

std::string KeysText(size_t count) {
  return count == 1 ? "the one key" : "each of the " + std::to_string(count) + " keys";
}

std::string WithHint(std::string text, const std::string& hint) {
  return hint.empty() ? text : text + "; " + hint;
}

// Walks the lines once, as the reader would find them, and says what each one misses.
class IniWalk {
 public:
  IniWalk(std::string file, std::string_view bytes, const std::vector<IniScanLine>& lines)
      : file_(std::move(file)), document_(platform::DecodeIniBytes(bytes)), lines_(lines) {}

  std::vector<Finding> Run() {
    for (size_t i = 0; i < lines_.size(); ++i) {
      if (findings_.size() >= kMostFindings) {
        Add(lines_[i], FindingKind::kTooManyFindings, Severity::kError,
            "doctor stops after " + std::to_string(kMostFindings) +
                " findings: is this the right file? The lines from here on are not checked");
        break;
      }
      Take(i);
    }
    return std::move(findings_);
  }

 private:
  enum class SectionState { kBeforeFirst, kRead, kUnread };

  void Add(const IniScanLine& line,
           FindingKind kind,
           Severity severity,
           std::string message,
           std::u16string_view key = {}) {
    findings_.push_back({file_, line.number, severity, kind, std::move(message),
                         ToUtf8(KnownSection(section_)), ToUtf8(key)});
  }

  void Take(size_t index) {
    const IniScanLine& line = lines_[index];
    switch (line.kind) {
      case Kind::kBlank:
      case Kind::kComment:
        return;
      case Kind::kSection:
        return TakeSection(index);
      case Kind::kKey:
      case Kind::kNoEquals:
        return TakeKey(line);
    }
  }

  size_t KeysUntilNextSection(size_t index) const {
    size_t keys = 0;
    for (size_t i = index + 1; i < lines_.size() && lines_[i].kind != Kind::kSection; ++i) {
      keys += lines_[i].kind == Kind::kKey ? 1 : 0;
    }
    return keys;
  }

  void TakeSection(size_t index) {
    const IniScanLine& line = lines_[index];
    section_ = line.name;
    keys_.clear();
    const auto [first, fresh] = sections_.emplace(FoldAscii(line.name), line.number);
    state_ = SectionState::kUnread;
    if (!fresh) {
      Add(line, FindingKind::kDuplicateSection, Severity::kError,
          "a second " + Bracketed(line.name) +
              " section: the reader reads only the first, at line " +
              std::to_string(first->second) + ", so " + KeysText(KeysUntilNextSection(index)) +
              " below this header never counts; move its keys into the first");
    } else if (!IsAsciiName(line.name)) {
      Add(line, FindingKind::kNameOutsideCodePage, Severity::kError,
          "section " + Bracketed(line.name) +
              " holds letters outside ASCII, which no section name has: its keys are never read");
    } else if (KnownSection(line.name).empty()) {
      Add(line, FindingKind::kUnknownSection, Severity::kError,
          WithHint("unknown section " + Bracketed(line.name) + ": the library reads no key of it",
                   SuggestSection(line.name)));
    } else {
      state_ = SectionState::kRead;
    }
  }

  void TakeKey(const IniScanLine& line) {
    if (state_ == SectionState::kBeforeFirst) {
      return TakeKeyOutsideSection(line);
    }
    if (state_ == SectionState::kUnread) {
      return;  // reported once, at the section's header
    }
    const auto [first, fresh] = keys_.emplace(FoldAscii(line.name), line.number);
    if (!fresh) {
      Add(line, FindingKind::kDuplicateKey, Severity::kError,
          ToUtf8(line.name) + " is given again in " + Bracketed(section_) +
              ": the reader takes the one at line " + std::to_string(first->second) +
              ", and this one is never read",
          line.name);
    } else if (line.kind == Kind::kNoEquals) {
      Add(line, FindingKind::kLineNotUnderstood, Severity::kWarning,
          "\"" + ToUtf8(line.name) +
              "\" has no \"=\": the reader takes it as a key without a value, which reads as "
              "missing");
    } else if (!IsAsciiName(line.name)) {
      Add(line, FindingKind::kNameOutsideCodePage, Severity::kError,
          "key " + ToUtf8(line.name) +
              " holds letters outside ASCII, which no key name has: the library never reads it");
    } else if (const KnownKey* key = FindKnownKey(section_, line.name)) {
      TakeValue(line, *key);
    } else {
      Add(line, FindingKind::kUnknownKey, Severity::kError,
          WithHint("unknown key " + ToUtf8(line.name) + " in " + Bracketed(section_) +
                       ": the library never reads it",
                   SuggestKey(section_, line.name)),
          line.name);
    }
  }

  void TakeKeyOutsideSection(const IniScanLine& line) {
    std::string text = "\"" + ToUtf8(line.name) +
                       "\" stands above the first section header: the library never reads it";
    for (const KnownKey& known : KnownKeys()) {
      if (EqualsIgnoringAsciiCase(known.key, line.name)) {
        text += "; write it below " + Bracketed(known.section);
        break;
      }
    }
    Add(line, FindingKind::kKeyOutsideSection, Severity::kError, text);
  }

  void TakeValue(const IniScanLine& line, const KnownKey& key) {
    const std::u16string read =
        document_.Answer(key.section, key.key, kAbsent, IniCapacity(key.type));
    if (read == kAbsent) {
      return;  // not this line's value after all; the reader will not find it here
    }
    for (ValueFinding& found : CheckValue(key, line.value, read, ValueSource::kIniFile)) {
      Add(line, found.kind, found.severity, std::move(found.message), key.key);
    }
  }

  std::string file_;
  platform::IniDocument document_;
  const std::vector<IniScanLine>& lines_;
  std::vector<Finding> findings_;
  std::u16string section_;
  SectionState state_ = SectionState::kBeforeFirst;
  std::map<std::u16string, size_t> sections_;  // folded name -> line of its first header
  std::map<std::u16string, size_t> keys_;      // of the current section, folded -> line
};

}  // namespace

size_t IniLineOfKey(const std::vector<IniScanLine>& lines,
                    std::u16string_view section,
                    std::u16string_view key) {
  bool in_section = false;
  bool section_seen = false;
  for (const IniScanLine& line : lines) {
    if (line.kind == Kind::kSection) {
      if (in_section) {
        return 0;  // the first section of the name ended without the key
      }
      in_section = !section_seen && EqualsIgnoringAsciiCase(line.name, section);
      section_seen = section_seen || in_section;
    } else if (in_section && (line.kind == Kind::kKey || line.kind == Kind::kNoEquals) &&
               EqualsIgnoringAsciiCase(line.name, key)) {
      return line.number;
    }
  }
  return 0;
}

std::vector<Finding> DiagnoseIniBytes(const std::string& file, const std::string& bytes) {
  const std::string problem = IniEncodingProblem(bytes);
  if (!problem.empty()) {
    return {{file, 0, Severity::kError, FindingKind::kConfigEncoding, problem, "", ""}};
  }
  const std::vector<IniScanLine> lines = ScanIniBytes(bytes);
  return IniWalk(file, bytes, lines).Run();
}

}  // namespace zelk::tools::doctor
