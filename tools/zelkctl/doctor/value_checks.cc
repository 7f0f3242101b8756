#include "tools/zelkctl/doctor/value_checks.h"

#include "common/text.h"
#include "platform/platform.h"
#include "tools/zelkctl/doctor/ini_scan.h"
#include "tools/zelkctl/support/blank_text.h"

namespace zelk::tools::doctor {
namespace {

constexpr std::u16string_view kTrue = u"TRUE";
constexpr std::u16string_view kFalse = u"FALSE";

// Words that mean "off" to an administrator: they read as FALSE, which is what was meant.
constexpr std::u16string_view kOffWords[] = {u"0", u"no", u"off", u"n", u"disabled", u"disable"};

bool IsTruthWord(std::u16string_view text) {
  return EqualsIgnoringAsciiCase(text, kTrue) || EqualsIgnoringAsciiCase(text, kFalse);
}

bool IsOffWord(std::u16string_view text) {
  for (std::u16string_view word : kOffWords) {
    if (EqualsIgnoringAsciiCase(text, word)) {
      return true;
    }
  }
  return false;
}

// The truth word the text starts with, followed by more text; empty when there is none.
std::u16string_view LeadingTruthWord(std::u16string_view text) {
  for (std::u16string_view word : {kTrue, kFalse}) {
    if (text.size() > word.size() && EqualsIgnoringAsciiCase(text.substr(0, word.size()), word)) {
      return text.substr(0, word.size());
    }
  }
  return {};
}

bool IsQuote(char16_t c) {
  return c == u'"' || c == u'\'';
}

// The text without quotes at either end, when it has any.
std::u16string_view WithoutQuotes(std::u16string_view text) {
  return TrimEnds(text, IsQuote);
}

std::string Shown(std::u16string_view text) {
  constexpr size_t kShownChars = 60;
  return text.size() <= kShownChars ? "\"" + ToUtf8(text) + "\""
                                    : "\"" + ToUtf8(text.substr(0, kShownChars)) + "...\"";
}

// The position of a ";" that starts a comment: one after a blank, or at the start.
size_t CommentStart(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u';' && (i == 0 || IsIniBlank(text[i - 1]))) {
      return i;
    }
  }
  return std::u16string_view::npos;
}

ValueFinding BoolNotTruthWord(const KnownKey& key, std::u16string_view read) {
  const std::string name = ToUtf8(key.key);
  if (read.empty()) {
    return {FindingKind::kNotTruthWord, key.default_flag ? Severity::kError : Severity::kWarning,
            name + " is empty, which reads as FALSE" +
                (key.default_flag ? " (not as its default TRUE)" : "") + "; write TRUE or FALSE"};
  }
  if (IsOffWord(read)) {
    return {FindingKind::kNotTruthWord, Severity::kWarning,
            name + " reads as FALSE, as " + Shown(read) +
                " means, but only TRUE and FALSE are words the reader knows; write FALSE"};
  }
  return {FindingKind::kNotTruthWord, Severity::kError,
          name + " reads as FALSE: only the word TRUE (any case) turns it on, and " + Shown(read) +
              " is not TRUE; write TRUE or FALSE"};
}

std::vector<ValueFinding> CheckBool(const KnownKey& key,
                                    std::u16string_view written,
                                    std::u16string_view read,
                                    ValueSource source) {
  if (IsTruthWord(read)) {
    return {};
  }
  const std::string name = ToUtf8(key.key);
  const size_t comment = CommentStart(read);
  if (source == ValueSource::kIniFile && comment != std::u16string_view::npos &&
      IsTruthWord(TrimIniBlanks(read.substr(0, comment)))) {
    return {{FindingKind::kInlineComment, Severity::kError,
             name + " reads as FALSE: the reader keeps the comment in the value (" + Shown(read) +
                 "); put the comment on a line of its own"}};
  }
  if (!LeadingTruthWord(read).empty()) {
    return {{FindingKind::kTrailingText, Severity::kError,
             name + " reads as FALSE: " + Shown(read) + " is more than the word " +
                 ToUtf8(LeadingTruthWord(read)) + "; write the word alone"}};
  }
  if (!written.empty() && (IsQuote(written.front()) || IsQuote(written.back())) &&
      IsTruthWord(WithoutQuotes(read))) {
    return {{FindingKind::kQuotesKept, Severity::kError,
             name + " reads as FALSE: the reader keeps quotes that are not a matching pair (" +
                 Shown(read) + "); write the word without quotes"}};
  }
  return {BoolNotTruthWord(key, read)};
}

// The text the host's record gets after the string rule, cut to its field.
void CheckRecordField(const KnownKey& key,
                      std::u16string_view read,
                      std::vector<ValueFinding>* out) {
  if (key.record_bytes == 0 || IsTruthWord(read)) {
    return;
  }
  const std::string narrow = platform::WideToAnsi(read);
  if (narrow.size() < key.record_bytes) {
    return;
  }
  const size_t kept = platform::AnsiPrefixLength(narrow, key.record_bytes - 1);
  out->push_back({FindingKind::kValueTooLong, Severity::kError,
                  ToUtf8(key.key) + " is " + std::to_string(narrow.size()) +
                      " bytes in the host's code page, but its field in the host's record holds " +
                      std::to_string(key.record_bytes - 1) + ": the host gets the first " +
                      std::to_string(kept) + " bytes"});
}

std::vector<ValueFinding> CheckString(const KnownKey& key,
                                      std::u16string_view written,
                                      std::u16string_view read,
                                      ValueSource source) {
  std::vector<ValueFinding> out;
  const std::string name = ToUtf8(key.key);
  const size_t comment = CommentStart(read);
  if (source == ValueSource::kIniFile && comment != std::u16string_view::npos) {
    const bool word = IsTruthWord(TrimIniBlanks(read.substr(0, comment)));
    out.push_back({FindingKind::kInlineComment, word ? Severity::kError : Severity::kWarning,
                   name + " keeps the comment as part of its text: the browser gets " +
                       Shown(read) + "; put the comment on a line of its own"});
  } else if (!LeadingTruthWord(read).empty() && IsIniBlank(read[LeadingTruthWord(read).size()])) {
    out.push_back({FindingKind::kTrailingText, Severity::kError,
                   name + " is taken as the text " + Shown(read) + ", not as the word " +
                       ToUtf8(LeadingTruthWord(read)) + "; write the word alone"});
  }
  if (!written.empty() && !read.empty() && IsQuote(written.front()) &&
      read.front() == written.front()) {
    out.push_back({FindingKind::kQuotesKept, Severity::kWarning,
                   name + " keeps its quotes, which are not a matching pair: the browser gets " +
                       Shown(read) + "; write it without quotes"});
  }
  if (source == ValueSource::kIniFile && written.size() >= IniCapacity(ValueType::kString)) {
    out.push_back({FindingKind::kValueTooLong, Severity::kError,
                   name + " is " + std::to_string(written.size()) +
                       " characters, but the reader takes the first " +
                       std::to_string(IniCapacity(ValueType::kString) - 1)});
  }
  CheckRecordField(key, read, &out);
  return out;
}

}  // namespace

size_t IniCapacity(ValueType type) {
  return type == ValueType::kBool ? 256 : 2048;
}

std::vector<ValueFinding> CheckValue(const KnownKey& key,
                                     std::u16string_view written,
                                     std::u16string_view read,
                                     ValueSource source) {
  return key.type == ValueType::kBool ? CheckBool(key, written, read, source)
                                      : CheckString(key, written, read, source);
}

}  // namespace zelk::tools::doctor
