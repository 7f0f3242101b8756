#include "urlfilter/pattern/abbreviations.h"

namespace zelk {

namespace {

// \n holds CR and LF themselves, not escapes. \b's class holds the pair "\t", which a class
// reads as a tab. \q keeps a single-quoted form after its "|" that is never compiled, since
// only the first term of an expression is used.
constexpr PatternAbbreviation kEntries[] = {
    {u'a', u"([a-zA-Z0-9])"},
    {u'b', u"([ \\t])"},
    {u'c', u"([a-zA-Z])"},
    {u'd', u"([0-9])"},
    {u'h', u"([0-9a-fA-F])"},
    {u'n', u"(\r|(\r?\n))"},
    {u'q', u"(\"[^\"]*\")|('[^']*')"},
    {u'w', u"([a-zA-Z]+)"},
    {u'z', u"([0-9]+)"},
};

}  // namespace

const PatternAbbreviationTable PatternAbbreviations = {kEntries,
                                                       sizeof(kEntries) / sizeof(kEntries[0])};

}  // namespace zelk
