// The denied page in a real browser: headless Chromium renders one page holding every
// template context filled with every hostile address, each in a frame of its own. The
// template is the administrator's and reports through three calls its prelude defines:
// alert (the only thing the hostile addresses try to run), ok (the template's own script
// ran to its end) and done (the page was read to its end). Skips, saying so, where
// Chromium cannot start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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

// Twenty places an administrator may put the placeholders. In the "followed" ones the
// template's own script follows the link at once, as a visitor clicking it would.
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
    {"link followed",
     u"<a href=\"(DENIED_PAGE)\" id=a>x</a><script>ok(); setTimeout(function () { a.click(); }, "
     u"10);</script>",
     true},
    {"unquoted link followed",
     u"<a href=(DENIED_PAGE) id=a>x</a><script>ok(); setTimeout(function () { a.click(); }, "
     u"10);</script>",
     true},
    // The frame may not open dialogs: a native alert in it would hold headless Chromium.
    {"frame source",
     u"<iframe sandbox=\"allow-scripts allow-same-origin\" src=\"(DENIED_PAGE)\"></iframe>", false},
    {"denied word as a link followed",
     u"<a href=\"(DENIED_WORD)\" id=a>x</a><script>ok(); setTimeout(function () { a.click(); }, "
     u"10);</script>",
     true},
};

// Addresses as a hostile page would make the browser navigate to; each tries alert(N), or,
// from a data: page of its own origin, posts "alert:N" to the page that holds it.
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
    u"javascript:alert(39)",
    u"javascript:%0aalert(40)",
    u"JavaScript:parent.alert(41)",
    u"javascript://x.test/%0aalert(42)",
    u"http://x.test/${alert(43)}",
    u"data:text/html,<script>parent.postMessage('alert:44','*')</script>",
    u"data:text/html;base64,PHNjcmlwdD5wYXJlbnQucG9zdE1lc3NhZ2UoJ2FsZXJ0OjQ1JywnKicpPC9zY3JpcHQ+",
    u"vbscript:alert(46)",
};

// Text for a srcdoc attribute: every character that means something there as an entity.
std::string ForAttribute(const std::u16string& page) {
  static const std::map<char, std::string> kEntities = {
      {'&', "&amp;"}, {'"', "&quot;"}, {'<', "&lt;"}, {'>', "&gt;"}};
  std::string out;
  for (const char c : ToUtf8(page)) {
    const auto entity = kEntities.find(c);
    out += entity != kEntities.end() ? entity->second : std::string(1, c);
  }
  return out;
}

// Chromium loads at most 1000 frames into one page, nested frames included, so the
// contexts are rendered this many to a page.
constexpr size_t kContextsPerPage = 10;

const char kBatteryHead[] =
    "<!DOCTYPE html><html><head><title>denied page battery</title><script>\n"
    "var hits = [], oks = new Set(), dones = new Set();\n"
    "window.alert = function (v) { hits.push('top:' + v); };\n"
    "window.onmessage = function (e) { hits.push('top:' + e.data); };\n"
    "window.onload = function () { setTimeout(function () {\n"
    "  var r = document.createElement('pre'); r.id = 'result';\n"
    "  r.textContent = 'HITS[' + hits.join(' ') + '] OK[' + Array.from(oks).join(' ') +\n"
    "    '] DONE[' + Array.from(dones).join(' ') + ']';\n"
    "  document.body.appendChild(r); }, 500); };\n"
    "</script></head><body>\n";

// One page of the battery: every address in each context of [first, end), a frame each.
struct Battery {
  std::string html;
  std::set<std::string> cases;
  std::set<std::string> script_cases;  // where the template's own script must run
};

Battery BuildBattery(size_t first, size_t end) {
  Battery battery;
  battery.html = kBatteryHead;
  for (size_t c = first; c < end; ++c) {
    for (size_t a = 0; a < std::size(kAddresses); ++a) {
      const std::string id = std::to_string(c) + "." + std::to_string(a);
      const std::u16string prelude =
          u"<script>var id = '" + FromUtf8(id) +
          u"'; window.alert = function (v) { parent.hits.push(id + ':' + v); };"
          u"window.onmessage = function (e) { parent.hits.push(id + ':' + e.data); };"
          // A followed link to a web or file address cannot run the address's script here
          // (no host resolves, no such file exists); only those navigations are spared.
          u"document.addEventListener('click', function (e) { var p = e.target.protocol;"
          u" if (p == 'http:' || p == 'https:' || p == 'file:') e.preventDefault(); }, true);"
          u"function ok() { parent.oks.add(id); } function go(u) {}</script>";
      const std::u16string page = BuildDeniedPage(
          prelude + kContexts[c].page_template + u"<script>parent.dones.add(id)</script>",
          kAddresses[a], kAddresses[a]);
      battery.html += "<iframe srcdoc=\"" + ForAttribute(page) + "\"></iframe>\n";
      battery.cases.insert(id);
      if (kContexts[c].runs_script) {
        battery.script_cases.insert(id);
      }
    }
  }
  battery.html += "</body></html>\n";
  return battery;
}

// What the battery page reported: the script that ran, the template scripts that ended,
// and the frames read to their end. `rendered` is false, with Chromium's log in `hits`,
// when no report came back.
struct BatteryReport {
  bool rendered = false;
  std::string hits;
  std::set<std::string> oks;
  std::set<std::string> dones;
};

std::set<std::string> WordsOf(const std::string& text) {
  std::set<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) {
    words.insert(word);
  }
  return words;
}

BatteryReport RunBattery(const fs::path& folder, const Battery& battery) {
  const fs::path index = folder / "battery.html";
  std::ofstream(index) << battery.html;
  // Host lookups fail at once: no address of the battery may reach the network.
  const testing::CommandRun chromium =
      testing::RunChromium(folder, index, "--host-resolver-rules='MAP * ~NOTFOUND' --dump-dom");
  std::smatch result;
  BatteryReport report;
  if (!std::regex_search(
          chromium.out, result,
          std::regex(
              "<pre id=\"result\">HITS\\[([^\\]]*)\\] OK\\[([^\\]]*)\\] DONE\\[([^\\]]*)\\]"))) {
    report.hits = "exit " + std::to_string(chromium.status) + ", log:\n" +
                  testing::ReadFile(folder / "chromium.log").substr(0, 2000);
    return report;
  }
  report.rendered = true;
  report.hits = result[1].str();
  report.oks = WordsOf(result[2].str());
  report.dones = WordsOf(result[3].str());
  return report;
}

TEST(DeniedPageBrowserTest, NothingFromTheAddressRunsInAnyContext) {
  if (!testing::ChromiumInstalled()) {
    GTEST_SKIP() << "chromium is not installed; the denied page was not tried in a browser";
  }
  for (size_t first = 0; first < std::size(kContexts); first += kContextsPerPage) {
    const size_t end = std::min(first + kContextsPerPage, std::size(kContexts));
    SCOPED_TRACE("contexts " + std::to_string(first) + " to " + std::to_string(end - 1));
    testing::TempFolder folder;
    const Battery battery = BuildBattery(first, end);
    const BatteryReport report = RunBattery(folder.path(), battery);
    if (!report.rendered) {
      GTEST_SKIP() << "Chromium could not start or render here (" << report.hits
                   << "); the denied page was not tried in a browser";
    }
    EXPECT_EQ("", report.hits) << "script from the address ran (context.address:alert)";
    EXPECT_EQ(battery.cases, report.dones) << "pages not read to their end";
    for (const std::string& id : battery.script_cases) {
      EXPECT_EQ(1u, report.oks.count(id)) << "the template's own script broke in case " << id;
    }
  }
  std::printf("rendered %zu cases (%zu contexts x %zu addresses) in Chromium\n",
              std::size(kContexts) * std::size(kAddresses), std::size(kContexts),
              std::size(kAddresses));
}

}  // namespace
}  // namespace zelk
