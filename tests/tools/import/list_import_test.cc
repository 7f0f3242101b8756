// Imported lists mean what their source formats mean: every entry shape of every format,
// imported, installed as a kiosk's filter and asked through the library's own check
// against addresses made from the entry's host.
#include "tools/zelkctl/import/list_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/configured_host.h"
#include "tests/tools/zelkctl_run.h"
#include "tools/zelkctl/import/punycode.h"
#include "tools/zelkctl/lint/filter_lint.h"
#include "tools/zelkctl/lint/host_rule_advice.h"
#include "urlfilter/pattern/escape.h"
#include "urlfilter/url_check.h"

namespace zelk::tools {
namespace {

using zelk::testing::Utf8;

// The addresses made from an entry's host H, each named by a letter.
struct DerivedAddress {
  char letter;
  const char* shape;  // {H} stands for the host
};
constexpr DerivedAddress kDerived[] = {
    {'S', "https://{H}/"},                  // the site
    {'H', "http://{H}/"},                   // the site over http
    {'D', "https://www.{H}/page"},          // a name under it
    {'N', "https://my_host.{H}/"},          // a name under it with "_"
    {'P', "http://{H}:8080/"},              // another port
    {'U', "https://user:pw@{H}/"},          // the site, with a user name
    {'T', "https://{H}./"},                 // the fully qualified name
    {'C', "HTTPS://{UPPER}/"},              // capitals ({UPPER} is H in capitals)
    {'O', "ftp://{H}/file"},                // schemes that are no web page...
    {'J', "javascript://{H}/%0Aalert(1)"},  // ...script on the page shown
    {'F', "file://{H}/share/x.exe"},        // ...a share on another machine
    {'A', "data://{H}/,x"},                 // ...a page of its own
    {'X', "xhttps://{H}/"},                 // ...a scheme that looks like the web's
    {'-', "https://{H}.evil.test/"},        // never: a look-alike host...
    {'-', "https://not{H}/"},               // ...another one
    {'-', "https://evil.test/?{H}"},        // ...the host in a query string
    {'-', "http://{H}@evil.test/"},         // ...the host as the user name
    {'-', "http://{H}:x@evil.test/"},       // ...the host and a password
    {'-', "https://evil.test/{H}/"},        // ...the host in a path
    {'-', "https://evil.test/?u=https://{H}/"},
    {'-', "javascript:https://{H}/%0Aalert(1)"},  // ...script behind a web address
    {'-', "view-source:https://{H}/"},
};

// The shape with its one placeholder replaced.
std::string Derive(std::string shape, std::string host) {
  const size_t at = shape.find('{');
  const bool upper = shape.compare(at, 7, "{UPPER}") == 0;
  for (char& c : host) {
    c = static_cast<char>(upper && c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return shape.replace(at, upper ? 7 : 3, host);
}

struct EntryCase {
  ListFormat format;
  const char* entry;
  const char* host;     // the host the browser sends for it
  const char* refused;  // letters of kDerived a refused entry stands for
  const char* allowed;  // ...and an allowed one: no scheme but the web's unless it names one
};

// clang-format off
const EntryCase kEntries[] = {
    {ListFormat::kHosts, "0.0.0.0 ads.example.com", "ads.example.com", "SHPUTCOJFAX", "SHPUTC"},
    {ListFormat::kHosts, "127.0.0.1\tads.example.com # tracker", "ads.example.com", "SHPUTCOJFAX", "SHPUTC"},
    {ListFormat::kDomains, "example.com", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kDomains, ".example.com", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kDomains, "*.example.com", "example.com", "DN", "DN"},
    {ListFormat::kDomains, "Example.COM.", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kDomains, "b\xC3\xBC" "cher.example", "xn--bcher-kva.example", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kDomains, "B\xC3\x9C" "CHER.example", "xn--bcher-kva.example", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kDomains, "192.0.2.7", "192.0.2.7", "SHPUCOJFAX", "SHPUC"},
    {ListFormat::kDomains, "my_host.example", "my_host.example", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kPolicy, "example.com", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kPolicy, "\"example.com\",", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kPolicy, ".example.com", "example.com", "SHPUTCOJFAX", "SHPUTC"},
    {ListFormat::kPolicy, "[*.]example.com", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kPolicy, "*.example.com", "example.com", "DN", "DN"},
    {ListFormat::kPolicy, "https://example.com", "example.com", "SDNUTC", "SDNUTC"},
    {ListFormat::kPolicy, "https://example.com/", "example.com", "SDNUTC", "SDNUTC"},
    {ListFormat::kPolicy, "example.com:8080", "example.com", "P", "P"},
    {ListFormat::kPolicy, "http://example.com:8080/", "example.com", "P", "P"},
    {ListFormat::kPolicy, "ftp://example.com:21", "example.com", "O", "O"},
    {ListFormat::kPolicy, "192.0.2.7", "192.0.2.7", "SHPUCOJFAX", "SHPUC"},
    {ListFormat::kAbp, "||example.com^", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kAbp, "||example.com^|", "example.com", "SHDNPUTCOJFAX", "SHDNPUTC"},
    {ListFormat::kAbp, "|https://example.com/", "example.com", "SUTC", "SUTC"},
    {ListFormat::kAbp, "|https://example.com^", "example.com", "SUTC", "SUTC"},
};
// clang-format on

// Runs the library's check on a kiosk whose filter file holds `filter`.
class ImportedRulesTest : public zelk::testing::ConfiguredHostTest {
 protected:
  // Imports the lines as one list; the rules must lint clean.
  ImportResult Import(ListFormat format, bool allow, std::vector<std::string> lines) {
    ImportResult result = ImportLists({ListSource{"list.txt", format, allow, std::move(lines)}});
    for (const LintFinding& finding : LintFilterLines(WideLines(result.filter_lines)).findings) {
      ADD_FAILURE() << "lint: line " << finding.line << ": " << finding.message;
    }
    return result;
  }

  // Expects the rules, followed by the opposite default, to decide for H exactly the
  // addresses of kDerived named by `letters`.
  void ExpectCovers(std::vector<std::string> rules,
                    bool allow,
                    const char* host,
                    const char* letters) {
    rules.push_back(allow ? "-all" : "+all");
    InstallFilter(rules);
    std::vector<std::string> urls;
    for (const DerivedAddress& address : kDerived) {
      urls.push_back(Derive(address.shape, host));
    }
    const std::vector<bool> allowed = CheckUrlsAllow(urls);
    for (size_t i = 0; i < urls.size(); ++i) {
      const char letter = kDerived[i].letter;
      const bool covered = letter != '-' && std::string(letters).find(letter) != std::string::npos;
      EXPECT_EQ(covered == allow, allowed[i]) << urls[i];
    }
  }
};

TEST_F(ImportedRulesTest, EveryEntryShapeAdmitsExactlyItsAddresses) {
  for (const EntryCase& c : kEntries) {
    for (const bool allow : {false, true}) {
      SCOPED_TRACE(::testing::Message() << ListFormatName(c.format) << " entry " << c.entry
                                        << (allow ? " allowed" : " refused"));
      ImportResult result = Import(c.format, allow, {c.entry});
      ASSERT_EQ(1u, result.rules);
      ASSERT_TRUE(result.skipped.empty()) << result.skipped[0].why;
      ExpectCovers(result.filter_lines, allow, c.host, allow ? c.allowed : c.refused);
    }
  }
}

// Lint's anchored form of a loose allow rule for a host is the rule an allow list imports
// for that domain, and admits the same addresses.
TEST_F(ImportedRulesTest, LintSuggestsTheRuleImportWrites) {
  const struct {
    const char* host;
    const char* allowed;
  } kHosts[] = {
      {"example.com", "SHDNPUTC"},
      {"my_host.example", "SHDNPUTC"},
      {"xn--bcher-kva.example", "SHDNPUTC"},
      {"192.0.2.7", "SHPUC"},
  };
  for (const auto& c : kHosts) {
    SCOPED_TRACE(c.host);
    const std::u16string loose = EscapeForPattern(FromUtf8(c.host));
    const HostRuleAdvice advice = AdviseHostRule(AnalysePattern(loose), loose);
    ASSERT_TRUE(advice.applies);
    const ImportResult imported = Import(ListFormat::kDomains, true, {c.host});
    ASSERT_EQ(1u, imported.rules);
    EXPECT_EQ(imported.filter_lines.back(), "+" + ToUtf8(advice.suggestion));
    ExpectCovers(imported.filter_lines, true, c.host, c.allowed);
    ExpectCovers({"+" + ToUtf8(advice.suggestion)}, true, c.host, c.allowed);
  }
}

// Allowing every address of a policy list allows the web, not every scheme.
TEST_F(ImportedRulesTest, AnAllowedWildcardAdmitsTheWebOnly) {
  InstallFilter(Import(ListFormat::kPolicy, true, {"*"}).filter_lines);
  for (const char* url : {"https://a.test/", "http://b.test:8080/x?y"}) {
    EXPECT_TRUE(CheckUrlAllows(url)) << url;
  }
  for (const char* url : {"javascript:alert(1)", "file:///c:/windows/", "data:text/html,x",
                          "ftp://a.test/", "view-source:https://a.test/"}) {
    EXPECT_FALSE(CheckUrlAllows(url)) << url;
  }
}

struct AddressCase {
  ListFormat format;
  const char* entry;
  const char* url;
  bool covered;
};

// Special characters stand for themselves; paths are prefixes; ad-block wildcards.
const AddressCase kAddresses[] = {
    {ListFormat::kPolicy, "https://example.com/a+b(c)$", "https://example.com/a+b(c)$x", true},
    {ListFormat::kPolicy, "https://example.com/a+b(c)$", "https://example.com/aab(c)", false},
    {ListFormat::kPolicy, "https://example.com/a+b(c)$", "https://example.com/a+bc", false},
    {ListFormat::kPolicy, "example.com/a.b", "https://example.com/axb", false},
    {ListFormat::kPolicy, "example.com/docs", "https://example.com:8443/docs/x", true},
    {ListFormat::kPolicy, "example.com/docs", "https://example.com/?/docs", false},
    {ListFormat::kPolicy, "example.com/d\xC3\xA9j\xC3\xA0", "https://example.com/d%C3%A9j%C3%A0",
     true},
    {ListFormat::kPolicy, "https://example.com:443", "https://example.com/", true},
    {ListFormat::kPolicy, "https://example.com:443", "https://example.com:4430/", false},
    {ListFormat::kPolicy, "javascript://*", "javascript:alert(1)", true},
    {ListFormat::kPolicy, "javascript://*", "https://example.com/javascript:", false},
    {ListFormat::kAbp, "||example.com/ads/*.gif|", "https://cdn.example.com/ads/x/y.gif", true},
    {ListFormat::kAbp, "||example.com/ads/*.gif|", "https://example.com/ads/y.gif?z", false},
    {ListFormat::kAbp, "||example.com/ads/*.gif|", "https://evil.test/?example.com/ads/y.gif",
     false},
    {ListFormat::kAbp, "||example.com^ads", "https://example.com/ads", true},
    {ListFormat::kAbp, "||example.com^ads", "https://example.com@ads.evil.test/", false},
    {ListFormat::kAbp, "||example.com", "https://example.com.au/", true},  // as ad-block means
    {ListFormat::kAbp, "/banner/*/img^", "https://a.test/banner/x/img?1", true},
    {ListFormat::kAbp, "/banner/*/img^", "https://a.test/banner/x/img", true},
    {ListFormat::kAbp, "/banner/*/img^", "https://a.test/banner/x/imgs", false},
    {ListFormat::kAbp, "|http://a.test/x|", "http://a.test/x", true},
    {ListFormat::kAbp, "|http://a.test/x|", "http://a.test/xy", false},
    {ListFormat::kAbp, "ALL", "https://a.test/small", true},  // a pattern, not a default rule
    {ListFormat::kAbp, "all", "https://a.test/other", false},
};

TEST_F(ImportedRulesTest, SpecialCharactersPathsAndWildcardsMeanWhatTheListMeans) {
  for (const AddressCase& c : kAddresses) {
    SCOPED_TRACE(::testing::Message() << c.entry << " against " << c.url);
    ImportResult result = Import(c.format, false, {c.entry});
    ASSERT_EQ(1u, result.rules);
    result.filter_lines.push_back("+all");
    InstallFilter(result.filter_lines);
    EXPECT_EQ(!c.covered, CheckUrlAllows(c.url));
  }
}

TEST_F(ImportedRulesTest, AnAdBlockExceptionWinsWhereverItStands) {
  ImportResult result =
      Import(ListFormat::kAbp, false, {"||example.com^", "@@||news.example.com^"});
  result.filter_lines.push_back("+all");
  InstallFilter(result.filter_lines);
  EXPECT_FALSE(CheckUrlAllows("https://example.com/"));
  EXPECT_FALSE(CheckUrlAllows("https://ads.example.com/"));
  EXPECT_TRUE(CheckUrlAllows("https://news.example.com/today"));
}

struct SkipCase {
  ListFormat format;
  const char* line;
  const char* reason;  // part of the message
};

const SkipCase kSkipped[] = {
    {ListFormat::kHosts, "10.0.0.5 intranet.example", "not blocked"},
    {ListFormat::kHosts, "0.0.0.0", "no host name"},
    {ListFormat::kHosts, "ads.example.com", "not an address"},
    {ListFormat::kHosts, "0.0.0.0 ads!.example.com", "'!' cannot occur"},
    {ListFormat::kDomains, "ads example.com", "more than one word"},
    {ListFormat::kDomains, "example.com/path", "not a domain name"},
    {ListFormat::kDomains, "ads.*.example", "wildcard"},
    {ListFormat::kDomains, "example..com", "empty label"},
    {ListFormat::kDomains, "exa%mple.com", "'%' cannot occur"},
    {ListFormat::kDomains, "\xEF\xBC\xA5xample.com", "U+FF25 cannot occur"},
    {ListFormat::kDomains,
     "a\xC2\xA0"
     "b.example",
     "U+00A0 cannot occur"},
    {ListFormat::kDomains, "1.2.3", "IPv4 address in another form"},
    {ListFormat::kDomains, "0x7f.0.0.1", "IPv4 address in another form"},
    {ListFormat::kDomains, "010.0.0.1", "IPv4 address in another form"},
    {ListFormat::kDomains, "[::1]", "IPv6"},
    {ListFormat::kDomains, "example.com:8080", "port"},
    {ListFormat::kDomains,
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa.example",
     "longer than 63"},
    {ListFormat::kPolicy, "example.com/?q=1", "query"},
    {ListFormat::kPolicy, "example.com/*", "prefix"},
    {ListFormat::kPolicy, "exa*mple.com", "wildcard"},
    {ListFormat::kPolicy, "example.com:99999", "port"},
    {ListFormat::kPolicy, "file:///C:/secret", "without a host"},
    {ListFormat::kPolicy, "ht~tp://example.com", "scheme"},
    {ListFormat::kPolicy, "*.192.0.2.7", "no names under it"},
    {ListFormat::kAbp, "||example.com^$third-party", "$third-party"},
    {ListFormat::kAbp, "example.com##.banner", "element-hiding"},
    {ListFormat::kAbp, "/ads[0-9]+/", "regular-expression"},
    {ListFormat::kAbp, "@@||example.com", "longer host names"},
    {ListFormat::kAbp, "@@||example.com.", "longer host names"},
    {ListFormat::kAbp, "@@|https://example.com", "longer host names"},
    {ListFormat::kAbp, "@@/ads/banner", "any site"},
    {ListFormat::kAbp, "||ads*.example.com^", "wildcard"},
    {ListFormat::kAbp, "*", "every address"},
};

TEST(ListImportTest, EntriesThatCannotBeExpressedAreSkippedWithTheirReason) {
  for (const SkipCase& c : kSkipped) {
    SCOPED_TRACE(c.line);
    ListSource source{"list.txt", c.format, false, {"", c.line}};
    const ImportResult result = ImportLists({source});
    EXPECT_EQ(0u, result.rules);
    ASSERT_EQ(1u, result.skipped.size());
    EXPECT_EQ(2u, result.skipped[0].line);
    EXPECT_NE(std::string::npos, result.skipped[0].why.find(c.reason)) << result.skipped[0].why;
  }
}

TEST(ListImportTest, BadLinesAreReportedOneByOne) {
  ListSource source{"list.txt", ListFormat::kDomains, false, {}};
  source.lines = {"ok.example", std::string(1 << 20, 'a'), "bad\xFF.example", "x\x01y.example",
                  "good.example"};
  const ImportResult result = ImportLists({source});
  EXPECT_EQ(2u, result.rules);
  ASSERT_EQ(3u, result.skipped.size());
  EXPECT_NE(std::string::npos, result.skipped[0].why.find("1048576 bytes"));
  EXPECT_NE(std::string::npos, result.skipped[1].why.find("not UTF-8"));
  EXPECT_NE(std::string::npos, result.skipped[2].why.find("control characters"));
  EXPECT_LT(result.skipped[0].why.size(), 200u);
}

TEST(ListImportTest, DuplicatesAndCoveredNamesAreDroppedOnce) {
  ListSource hosts{"hosts",
                   ListFormat::kHosts,
                   false,
                   {"127.0.0.1 localhost", "0.0.0.0 a.example a.example", "0.0.0.0 A.Example."}};
  ListSource domains{"domains",
                     ListFormat::kDomains,
                     false,
                     {"example.org", "ads.example.org", "example.org", ".example.org"}};
  const ImportResult result = ImportLists({hosts, domains});
  EXPECT_EQ(2u, result.rules);
  EXPECT_EQ(5u, result.duplicates);
  EXPECT_EQ(1u, result.passed_over);
  EXPECT_TRUE(result.skipped.empty());
}

TEST(ListImportTest, CommentsNameTheListAndLinesAboveEachBlock) {
  ListSource domains{"a\nb.txt",
                     ListFormat::kDomains,
                     true,
                     {"one.example", "two.example", "# gap", "three.example"}};
  const ImportResult result = ImportLists({domains});
  std::vector<std::string> comments;
  for (const std::string& line : result.filter_lines) {
    if (line[0] == ';') {
      comments.push_back(line);
    }
  }
  ASSERT_EQ(4u, comments.size());
  EXPECT_EQ("; a?b.txt:1-2 (domains, allowed)", comments[2]);
  EXPECT_EQ("; a?b.txt:4 (domains, allowed)", comments[3]);
}

// The text written in one block is the lines, each ended by a line break, whatever the
// mix of lists, marks, skipped entries and gaps between blocks.
TEST(ListImportTest, TheTextInOneBlockIsTheLines) {
  const std::vector<ListSource> sources = {
      {"hosts",
       ListFormat::kHosts,
       false,
       {"0.0.0.0 a.example", "bad line here !", "::1 b.example"}},
      {"allow", ListFormat::kDomains, true, {"c.example", "", "d.example"}},
      {"abp", ListFormat::kAbp, false, {"||e.example^", "##.ad", "/banner/*"}},
  };
  const ImportResult lines = ImportLists(sources);
  std::vector<ListSource> taken = sources;
  const ImportResult text = ImportListsAsText(std::move(taken));
  std::string joined;
  for (const std::string& line : lines.filter_lines) {
    joined += line + "\n";
  }
  EXPECT_EQ(joined, text.filter_text);
  EXPECT_TRUE(text.filter_lines.empty());
  EXPECT_EQ(lines.rules, text.rules);
  EXPECT_EQ(lines.skipped.size(), text.skipped.size());
}

TEST(ListImportTest, AnEmptyListIsReported) {
  const ImportResult result =
      ImportLists({ListSource{"empty.txt", ListFormat::kHosts, false, {""}}});
  ASSERT_EQ(1u, result.skipped.size());
  EXPECT_EQ(0u, result.skipped[0].line);
}

struct DetectCase {
  std::vector<std::string> lines;
  bool known;
  ListFormat format;
};

TEST(ListImportTest, FormatIsToldFromTheLinesOnlyWhenUnambiguous) {
  const DetectCase kCases[] = {
      {{"# blocked", "0.0.0.0 ads.example", "::1 localhost"}, true, ListFormat::kHosts},
      {{"ads.example", "tracker.example # why"}, true, ListFormat::kDomains},
      {{"example.com", "https://example.org/path"}, true, ListFormat::kPolicy},
      {{"[Adblock Plus 2.0]", "||ads.example^", "/banner/"}, true, ListFormat::kAbp},
      {{"! list", "@@||good.example^"}, true, ListFormat::kAbp},
      {{"0.0.0.0 ads.example", "||x.example^"}, false, ListFormat::kHosts},
      {{"0.0.0.0 ads.example", "example.com:8080"}, false, ListFormat::kHosts},
      {{".example.com"}, false, ListFormat::kHosts},
      {{"# nothing"}, false, ListFormat::kHosts},
  };
  for (const DetectCase& c : kCases) {
    SCOPED_TRACE(c.lines.back());
    ListFormat format = ListFormat::kHosts;
    std::string why;
    EXPECT_EQ(c.known, DetectListFormat(c.lines, &format, &why)) << why;
    if (c.known) {
      EXPECT_EQ(c.format, format);
    } else {
      EXPECT_FALSE(why.empty());
    }
  }
}

TEST(PunycodeTest, EncodesLabelsAsTheBrowserSendsThem) {
  const struct {
    const char* label;
    const char* encoded;
  } kLabels[] = {
      {"b\xC3\xBC"
       "cher",
       "bcher-kva"},
      {"m\xC3\xBCnchen", "mnchen-3ya"},
      {"espa\xC3\xB1ol", "espaol-zwa"},
      {"\xE3\x83\x89\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xB3\xE5\x90\x8D\xE4\xBE\x8B",
       "eckwd4c7cu47r2wf"},
  };
  for (const auto& c : kLabels) {
    std::u32string points;
    ASSERT_TRUE(DecodeUtf8(c.label, &points));
    std::string encoded;
    ASSERT_TRUE(EncodePunycode(points, &encoded));
    EXPECT_EQ(c.encoded, encoded);
  }
  std::u32string points;
  EXPECT_FALSE(DecodeUtf8("\xC0\x80", &points));      // overlong
  EXPECT_FALSE(DecodeUtf8("\xED\xA0\x80", &points));  // surrogate
  EXPECT_FALSE(DecodeUtf8("\xE2\x82", &points));      // cut short
}

}  // namespace
}  // namespace zelk::tools
