// The denied page in a real browser: headless Chromium renders one page holding every
// template context filled with every hostile address, each in a frame of its own. The
// template is the administrator's and reports through three calls its prelude defines:
// alert (the only thing the hostile addresses try to run), ok (the template's own script
// ran to its end) and done (the page was read to its end). Skips, saying so, where
// Chromium cannot start.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/text.h"
#include "tests/browser/headless_chromium.h"
#include "tests/support/test_support.h"
#include "urlfilter/denied_page.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;

struct Context {
  const char* name;
  const char16_t* page_template;
  bool runs_script;  // the template's own script must still call ok()
};

// Sixteen places an administrator may put the placeholders.
const Context kContexts[] = {
    {"text", u"<p>(DENIED_PAGE)</p>", false},
    {"double-quoted attribute", u"<a href=\"(DENIED_PAGE)\" id=a>x</a>", false},
    {"single-quoted attribute", u"<a title='(DENIED_PAGE)'>x</a>", false},
    {"unquoted attribute", u"<a href=(DENIED_PAGE) id=a>x</a>", false},
    {"handler string", u"<img src=data:, onerror=\"go('(DENIED_PAGE)')\">", false},
    {"unquoted handler", u"<img src=data:, onerror=go('(DENIED_PAGE)')>", false},
    {"script single-quoted", u"<script>var u = '(DENIED_PAGE)'; ok();</script>", true},
    {"script double-quoted", u"<script>var u = \"(DENIED_PAGE)\"; ok();</script>", true},
    {"script template literal", u"<script>var u = `(DENIED_PAGE)`; ok();</script>", true},
    {"script string into innerHTML",
     u"<div id=d></div><script>document.getElementById('d').innerHTML = "
     u"'<b>(DENIED_PAGE)</b>'; ok();</script>",
     true},
    {"script comment", u"<script>// (DENIED_PAGE)\nok();</script>", true},
    {"CSS string", u"<style>p::after { content: \"(DENIED_PAGE)\"; }</style><p>x</p>", false},
    {"style attribute", u"<p style=\"background: url('(DENIED_PAGE)')\">x</p>", false},
    {"textarea", u"<textarea>(DENIED_PAGE)</textarea>", false},
    {"comment", u"<!-- (DENIED_PAGE) --><p>x</p>", false},
    {"denied word in text and attribute", u"<p title=\"(DENIED_WORD)\">(DENIED_WORD)</p>", false},
};

// Addresses as a hostile page would make the browser navigate to; each tries alert(N).
const char16_t* const kAddresses[] = {
    u"http://x.test/\"><img src=x onerror=alert(1)>",
    u"http://x.test/'><img src=x onerror=alert(2)>",
    u"http://x.test/&#39;);alert(3);//",
    u"http://x.test/');alert(4);//",
    u"http://x.test/\");alert(5);//",
    u"http://x.test/\\x3cimg src=x onerror=alert(6)\\x3e",
    u"http://x.test/ autofocus onfocus=alert(7) x=",
    u"http://x.test/`+alert(8)+`",
    u"http://x.test/\n}</style><img src=x onerror=alert(9)>",
    u"http://x.test/\\",
    u"http://x.test/\nalert(10)//",
    u"http://x.test/</script><script>alert(11)</script>",
    u"http://x.test/--><img src=x onerror=alert(12)>",
    u"http://x.test/</textarea><img src=x onerror=alert(13)>",
    u"http://x.test/&lt;img src=x onerror=alert(14)&gt;",
    u"http://x.test/\t onfocus=alert(15) autofocus",
    u"http://x.test/\f onfocus=alert(16) autofocus",
    u"http://x.test/'-alert(17)-'",
    u"http://x.test/\\'-alert(18)//",
    u"http://x.test/\\u003cimg src=x onerror=alert(19)\\u003e",
    u"http://x.test/\\\"-alert(20)//",
    u"http://x.test/<svg onload=alert(21)>",
    u"http://x.test/\"onmouseover=\"alert(22)\" autofocus onfocus=\"alert(22)",
    u"http://x.test/'+alert(23)+'",
    u"javascript&colon;alert(24)",
    u"http://x.test/\r');alert(25);//",
    u"http://x.test/\u2028');alert(26);//",
    u"http://x.test/\x0B');alert(27);//",
    u"http://x.test/%3Cimg%20src=x%20onerror=alert(28)%3E",
    u"http://x.test/&quot;&gt;&lt;img src=x onerror=alert(29)&gt;",
    u"http://x.test/');alert(30)</script><script>alert(30)//",
    u"http://x.test/\"><iframe srcdoc=\"<script>parent.alert(31)</script>\">",
    u"http://x.test/?a=1&b=2#c",
    u"http://x.test/*/alert(32)/*",
    u"http://x.test/x onerror=alert(33) src=y",
    u"http://x.test/\x7F');alert(34);//",
    u"http://x.test/\\');alert(35);//\\",
    u"http://x.test/\\u0027);alert(36);//",
    u"http://x.test/)};alert(37);//",
    u"http://x.test/<!--<script>alert(38)//",
};

// Text for a srcdoc attribute: every character that means something there as an entity.
std::string ForAttribute(const std::u16string& page) {
  std::string out;
  for (const char c : ToUtf8(page)) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

TEST(DeniedPageBrowserTest, NothingFromTheAddressRunsInAnyContext) {
  if (!testing::ChromiumInstalled()) {
    GTEST_SKIP() << "chromium is not installed; the denied page was not tried in a browser";
  }
  testing::TempFolder folder;
  std::ostringstream html;
  html << "<!DOCTYPE html><html><head><title>denied page battery</title><script>\n"
          "var hits = [], oks = new Set(), dones = new Set();\n"
          "window.alert = function (v) { hits.push('top:' + v); };\n"
          "window.onload = function () { setTimeout(function () {\n"
          "  var r = document.createElement('pre'); r.id = 'result';\n"
          "  r.textContent = 'HITS[' + hits.join(' ') + '] OK[' + Array.from(oks).join(' ') +\n"
          "    '] DONE[' + Array.from(dones).join(' ') + ']';\n"
          "  document.body.appendChild(r); }, 500); };\n"
          "</script></head><body>\n";
  std::set<std::string> script_cases;
  size_t cases = 0;
  for (size_t c = 0; c < std::size(kContexts); ++c) {
    for (size_t a = 0; a < std::size(kAddresses); ++a) {
      const std::string id = std::to_string(c) + "." + std::to_string(a);
      const std::u16string prelude =
          u"<script>var id = '" + FromUtf8(id) +
          u"'; window.alert = function (v) { parent.hits.push(id + ':' + v); };"
          u"function ok() { parent.oks.add(id); } function go(u) {}</script>";
      const std::u16string page = BuildDeniedPage(
          prelude + kContexts[c].page_template + u"<script>parent.dones.add(id)</script>",
          kAddresses[a], kAddresses[a]);
      html << "<iframe srcdoc=\"" << ForAttribute(page) << "\"></iframe>\n";
      if (kContexts[c].runs_script) {
        script_cases.insert(id);
      }
      ++cases;
    }
  }
  html << "</body></html>\n";
  const fs::path index = folder.path() / "battery.html";
  std::ofstream(index) << html.str();

  const testing::CommandRun chromium = testing::RunChromium(folder.path(), index, "--dump-dom");
  const std::string& dom = chromium.out;
  std::smatch result;
  if (!std::regex_search(
          dom, result,
          std::regex(
              "<pre id=\"result\">HITS\\[([^\\]]*)\\] OK\\[([^\\]]*)\\] DONE\\[([^\\]]*)\\]"))) {
    GTEST_SKIP() << "Chromium could not start or render here (exit " << chromium.status
                 << "); the denied page was not tried in a browser. Its log:\n"
                 << testing::ChromiumLog(folder.path()).substr(0, 2000);
  }
  EXPECT_EQ("", result[1].str()) << "script from the address ran (context.address:alert)";
  std::set<std::string> oks, dones;
  std::istringstream ok_words(result[2].str()), done_words(result[3].str());
  for (std::string w; ok_words >> w;)
    oks.insert(w);
  for (std::string w; done_words >> w;)
    dones.insert(w);
  EXPECT_EQ(cases, dones.size()) << "pages not read to their end";
  for (const std::string& id : script_cases) {
    EXPECT_EQ(1u, oks.count(id)) << "the template's own script broke in case " << id;
  }
  std::printf("rendered %zu cases (%zu contexts x %zu addresses) in Chromium\n", cases,
              std::size(kContexts), std::size(kAddresses));
}

}  // namespace
}  // namespace zelk
