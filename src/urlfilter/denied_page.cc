#include "urlfilter/denied_page.h"

#include "common/text.h"

namespace zelk {
namespace {

constexpr std::u16string_view kPagePlaceholder = u"(DENIED_PAGE)";
constexpr std::u16string_view kWordPlaceholder = u"(DENIED_WORD)";

// Schemes whose addresses stay working links on the page: they open a page, never run
// script.
constexpr std::u16string_view kLinkSchemes[] = {u"http", u"https", u"ftp"};

bool NeedsPercentEncoding(char16_t c) {
  switch (c) {
    case u'<':
    case u'>':
    case u'"':
    case u'\'':
    case u'\\':
    case u'`':
    case u'$':
    case u'{':
    case u'}':
    case 0x7F:
      return true;
    default:
      return c <= 0x20;
  }
}

// Where the characters of one stage go: the next stage, or the page.
class CharSink {
 public:
  virtual ~CharSink() = default;
  virtual void Push(char16_t c) = 0;
  virtual void Finish() = 0;
  // True once nothing more can reach the page.
  virtual bool full() const = 0;
};

// Collects the page up to its limit.
class PageSink : public CharSink {
 public:
  explicit PageSink(size_t max_length) : max_length_(max_length) {}
  void Push(char16_t c) override {
    if (!full()) {
      page_.push_back(c);
    }
  }
  void Finish() override {}
  bool full() const override { return page_.size() >= max_length_; }
  std::u16string& page() { return page_; }

 private:
  size_t max_length_;
  std::u16string page_;
};

// Replaces one placeholder in a stream of characters, as a left-to-right scan for
// non-overlapping occurrences would: `window_` holds the characters that may still start
// an occurrence, everything before them has been passed on.
class ReplacingStage : public CharSink {
 public:
  ReplacingStage(std::u16string_view placeholder, std::u16string_view replacement, CharSink* next)
      : placeholder_(placeholder), replacement_(replacement), next_(next) {}

  void Push(char16_t c) override {
    window_.push_back(c);
    while (!window_.empty() &&
           std::u16string_view(placeholder_).substr(0, window_.size()) != window_) {
      next_->Push(window_.front());
      window_.erase(0, 1);
    }
    if (window_.size() == placeholder_.size()) {
      window_.clear();
      for (size_t i = 0; i < replacement_.size() && !next_->full(); ++i) {
        next_->Push(replacement_[i]);
      }
    }
  }

  void Finish() override {
    for (char16_t c : window_) {
      next_->Push(c);
    }
    window_.clear();
    next_->Finish();
  }

  bool full() const override { return next_->full(); }

 private:
  std::u16string_view placeholder_;
  std::u16string_view replacement_;
  CharSink* next_;
  std::u16string window_;
};

bool IsSchemeChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'-' || c == u'.';
}

// Where the ":" that ends the text's scheme stands, when that scheme is not one of
// kLinkSchemes; else npos. A "(DENIED_WORD)" counts as scheme characters, since the word
// it becomes may spell one ("java(DENIED_WORD):..."), and so does an empty scheme, since
// a ":" at the start may end a scheme that the text before it spells.
size_t ScriptSchemeColon(std::u16string_view text) {
  size_t end = 0;
  while (end < text.size()) {
    if (text.substr(end, kWordPlaceholder.size()) == kWordPlaceholder) {
      end += kWordPlaceholder.size();
    } else if (IsSchemeChar(text[end])) {
      ++end;
    } else {
      break;
    }
  }
  if (end == text.size() || text[end] != u':') {
    return std::u16string_view::npos;
  }
  for (std::u16string_view scheme : kLinkSchemes) {
    if (EqualsIgnoringAsciiCase(text.substr(0, end), scheme)) {
      return std::u16string_view::npos;
    }
  }
  return end;
}

}  // namespace

std::u16string EscapeForPage(std::u16string_view text) {
  constexpr char16_t kHex[] = u"0123456789ABCDEF";
  const size_t scheme_colon = ScriptSchemeColon(text);
  std::u16string escaped;
  escaped.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (i == scheme_colon) {
      escaped += u"%3A";  // reads the same to a person; to a browser, a relative address
    } else if (c == 0x2028 || c == 0x2029) {
      // Line and paragraph separators end a script's line comment; written as the UTF-8
      // percent-encoding a browser gives them.
      escaped += c == 0x2028 ? u"%E2%80%A8" : u"%E2%80%A9";
    } else if (NeedsPercentEncoding(c)) {
      escaped.push_back(u'%');
      escaped.push_back(kHex[c >> 4]);
      escaped.push_back(kHex[c & 0xF]);
    } else if (c == u'&') {
      escaped += u"&amp;";
    } else {
      escaped.push_back(c);
    }
  }
  return escaped;
}

std::u16string BuildDeniedPage(std::u16string_view page_template,
                               std::u16string_view address,
                               std::u16string_view denied_word,
                               size_t max_length) {
  const std::u16string escaped_address = EscapeForPage(address);
  const std::u16string escaped_word = EscapeForPage(denied_word);
  PageSink page(max_length);
  ReplacingStage word_stage(kWordPlaceholder, escaped_word, &page);
  ReplacingStage address_stage(kPagePlaceholder, escaped_address, &word_stage);
  for (size_t i = 0; i < page_template.size() && !page.full(); ++i) {
    address_stage.Push(page_template[i]);
  }
  address_stage.Finish();
  return std::move(page.page());
}

}  // namespace zelk
