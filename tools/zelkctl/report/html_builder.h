// A small writer of HTML text for zelkctl's report. Every piece of text and every attribute
// value goes through one escaping function, so text from the configuration (titles,
// addresses, rules, a whole denied page) is shown as text and never becomes markup.
#ifndef ZELK_TOOLS_ZELKCTL_REPORT_HTML_BUILDER_H_
#define ZELK_TOOLS_ZELKCTL_REPORT_HTML_BUILDER_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelk::tools {

// UTF-8 text made safe for element content and for quoted attribute values: & < > " ' become
// entities, and control characters other than tab, LF and CR (C0, DEL, C1) become U+FFFD, as
// does any byte that is not part of valid UTF-8, so the page stays valid HTML whatever the
// configuration holds.
std::string EscapeHtml(std::string_view text);

using HtmlAttributes = std::vector<std::pair<std::string, std::string>>;

class HtmlBuilder {
 public:
  // <tag name="value" ...>, values escaped. Names are the caller's own literals.
  HtmlBuilder& Open(std::string_view tag, const HtmlAttributes& attributes = {});
  HtmlBuilder& Close(std::string_view tag);
  // Escaped text.
  HtmlBuilder& Text(std::string_view text);
  // <tag ...>text</tag>.
  HtmlBuilder& Element(std::string_view tag,
                       const HtmlAttributes& attributes,
                       std::string_view text);
  // Markup written by this program itself (the document frame, the style sheet); never
  // text from the configuration.
  HtmlBuilder& Markup(std::string_view markup);

  const std::string& html() const { return html_; }

 private:
  std::string html_;
};

}  // namespace zelk::tools

#endif  // ZELK_TOOLS_ZELKCTL_REPORT_HTML_BUILDER_H_
