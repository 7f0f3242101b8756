#include "urlfilter/pattern/compiler.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/test_support.h"
#include "urlfilter/pattern/abbreviations.h"

namespace zelk {
namespace {

using testing::Utf8;

std::string Listing(std::u16string_view pattern) {
  UrlPattern compiled;
  const PatternError error = CompilePattern(pattern, &compiled);
  if (error != PatternError::kOk) {
    return "error " + std::to_string(static_cast<int>(error));
  }
  return DumpProgram(compiled.instructions());
}

std::u16string Repeat(std::u16string_view text, int times) {
  std::u16string result;
  for (int i = 0; i < times; ++i) {
    result += text;
  }
  return result;
}

struct ListingCase {
  const char16_t* pattern;
  const char* listing;
};

// One row per construct: the program must be exactly this, address for address.
const ListingCase kConstructs[] = {
    {u"", "0 Call 2 | 1 NextStart | 2 Accept"},
    {u"^", "0 Call 2 | 1 Reject | 2 Accept"},
    {u"A.$", "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 AnyChar | 4 Char $ | 5 Accept"},
    {u"x^y\\$",
     "0 Call 2 | 1 NextStart | 2 Char 'x' | 3 Char '^' | 4 Char 'y' | 5 Char '$' | 6 Accept"},
    {u"\\.\\t", "0 Call 2 | 1 NextStart | 2 Char '.' | 3 Char 't' | 4 Accept"},
    {u"[a-c\\]]",
     "0 Call 2 | 1 NextStart | 2 InClass 7 | 3 Nop 'a' | 4 Nop 'c' | 5 Nop ']' | 6 Nop ']' | 7 "
     "Accept"},
    {u"[^\\T]", "0 Call 2 | 1 NextStart | 2 NotInClass 5 | 3 Nop 0x09 | 4 Nop 0x09 | 5 Accept"},
    {u"[A-Z]", "0 Call 2 | 1 NextStart | 2 InClass 5 | 3 Nop 'a' | 4 Nop 'z' | 5 Accept"},
    {u"(a)", "0 Call 2 | 1 NextStart | 2 Call 4 | 3 Return | 4 Char 'a' | 5 Accept"},
    {u"{}",
     "0 Call 2 | 1 NextStart | 2 SaveGroup 0 | 3 GroupOpen 0 | 4 Call 7 | 5 RestoreGroup 0 | 6 "
     "Return | 7 Nop | 8 GroupClose 0 | 9 Accept"},
    {u"{a}\\0",
     "0 Call 2 | 1 NextStart | 2 SaveGroup 0 | 3 GroupOpen 0 | 4 Call 7 | 5 RestoreGroup 0 | 6 "
     "Return | 7 Char 'a' | 8 GroupClose 0 | 9 BackRef 0 | 10 Accept"},
    {u"!(a)",
     "0 Call 2 | 1 NextStart | 2 SetSlotPos 0 | 3 SetSlotDepth 1 | 4 Call 8 | 5 LoadPosFromSlot 0 "
     "| 6 LoadDepthFromSlot 1 | 7 Jump 14 | 8 Call 10 | 9 Return | 10 Char 'a' | 11 "
     "LoadPosFromSlot 0 | 12 LoadDepthFromSlot 1 | 13 Return | 14 Accept"},
    {u"ab|cd",
     "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 InClass 6 | 4 Nop 'b' | 5 Nop 'c' | 6 Char 'd' | 7 "
     "Accept"},
    {u"a|(b)|c",
     "0 Call 2 | 1 NextStart | 2 SavePos | 3 Call 6 | 4 RestorePos | 5 Jump 8 | 6 Char 'a' | 7 "
     "Jump 17 | 8 SavePos | 9 Call 12 | 10 RestorePos | 11 Jump 16 | 12 Call 14 | 13 Return | 14 "
     "Char 'b' | 15 Jump 17 | 16 Char 'c' | 17 Accept"},
    // Alternatives that are all single characters become one set of their union; the end
    // of input is not a character.
    {u"a|b|c", "0 Call 2 | 1 NextStart | 2 InClass 5 | 3 Nop 'a' | 4 Nop 'c' | 5 Accept"},
    {u"B|[x-z]|A",
     "0 Call 2 | 1 NextStart | 2 InClass 7 | 3 Nop 'a' | 4 Nop 'b' | 5 Nop 'x' | 6 Nop 'z' | 7 "
     "Accept"},
    {u"x|X", "0 Call 2 | 1 NextStart | 2 Char 'x' | 3 Accept"},
    {u"[^a]|a", "0 Call 2 | 1 NextStart | 2 AnyChar | 3 Accept"},
    {u"a|$",
     "0 Call 2 | 1 NextStart | 2 SavePos | 3 Call 6 | 4 RestorePos | 5 Jump 8 | 6 Char 'a' | 7 "
     "Jump 9 | 8 Char $ | 9 Accept"},
    {u"a*",
     "0 Call 2 | 1 NextStart | 2 RepeatOne 0 | 3 SetSlotPos 0 | 4 SavePos | 5 Call 9 | 6 "
     "RestorePos "
     "| 7 RestoreSlot 0 | 8 Jump 12 | 9 Char 'a' | 10 FailIfNoProgress 0 | 11 Jump 2 | 12 Accept"},
    {u"a?",
     "0 Call 2 | 1 NextStart | 2 SaveSlot 0 | 3 SetSlotPos 0 | 4 SavePos | 5 Call 9 | 6 RestorePos "
     "| 7 RestoreSlot 0 | 8 Jump 11 | 9 Char 'a' | 10 FailIfNoProgress 0 | 11 Accept"},
    {u"a+b*",
     "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 RepeatOne 0 | 4 SetSlotPos 0 | 5 SavePos | 6 Call 10 "
     "| 7 RestorePos | 8 RestoreSlot 0 | 9 Jump 13 | 10 Char 'a' | 11 FailIfNoProgress 0 | 12 Jump "
     "3 | 13 RepeatOne 1 | 14 SetSlotPos 1 | 15 SavePos | 16 Call 20 | 17 RestorePos | 18 "
     "RestoreSlot 1 | 19 Jump 23 | 20 Char 'b' | 21 FailIfNoProgress 1 | 22 Jump 13 | 23 Accept"},
    {u"a*?",
     "0 Call 2 | 1 NextStart | 2 LazyCall 7 | 3 BeginIteration 0 | 4 Char 'a' | 5 FailIfNoProgress "
     "0 | 6 Jump 2 | 7 Accept"},
    {u"a+?",
     "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 LazyCall 8 | 4 BeginIteration 0 | 5 Char 'a' | 6 "
     "FailIfNoProgress 0 | 7 Jump 3 | 8 Accept"},
    {u"a??", "0 Call 2 | 1 NextStart | 2 LazyCall 4 | 3 Char 'a' | 4 Accept"},
    {u"a???", "0 Call 2 | 1 NextStart | 2 LazyCall 4 | 3 Char 'a' | 4 Char '?' | 5 Accept"},
    // Both copies of a "+" term share group numbers; the second copy takes new slots.
    {u"{a}+",
     "0 Call 2 | 1 NextStart | 2 SaveGroup 0 | 3 GroupOpen 0 | 4 Call 7 | 5 RestoreGroup 0 | 6 "
     "Return | 7 Char 'a' | 8 GroupClose 0 | 9 SaveSlot 0 | 10 SetSlotPos 0 | 11 SavePos | 12 Call "
     "16 | 13 RestorePos | 14 RestoreSlot 0 | 15 Jump 25 | 16 SaveGroup 0 | 17 GroupOpen 0 | 18 "
     "Call 21 | 19 RestoreGroup 0 | 20 Return | 21 Char 'a' | 22 GroupClose 0 | 23 "
     "FailIfNoProgress 0 | 24 Jump 9 | 25 Accept"},
    {u"!a+",
     "0 Call 2 | 1 NextStart | 2 SetSlotPos 0 | 3 SetSlotDepth 1 | 4 Call 8 | 5 LoadPosFromSlot 0 "
     "| 6 LoadDepthFromSlot 1 | 7 Jump 12 | 8 Char 'a' | 9 LoadPosFromSlot 0 | 10 "
     "LoadDepthFromSlot 1 | 11 Return | 12 SaveSlot 2 | 13 SetSlotPos 2 | 14 SavePos | 15 Call 19 "
     "| 16 RestorePos | 17 RestoreSlot 2 | 18 Jump 31 | 19 SetSlotPos 3 | 20 SetSlotDepth 4 | 21 "
     "Call 25 | 22 LoadPosFromSlot 3 | 23 LoadDepthFromSlot 4 | 24 Jump 29 | 25 Char 'a' | 26 "
     "LoadPosFromSlot 3 | 27 LoadDepthFromSlot 4 | 28 Return | 29 FailIfNoProgress 2 | 30 Jump 12 "
     "| 31 Accept"},
    // A repeat takes its slot before the slots of its term.
    {u"(a*b)*",
     "0 Call 2 | 1 NextStart | 2 SaveSlot 0 | 3 SetSlotPos 0 | 4 SavePos | 5 Call 9 | 6 RestorePos "
     "| 7 RestoreSlot 0 | 8 Jump 24 | 9 Call 11 | 10 Return | 11 RepeatOne 1 | 12 SetSlotPos 1 | "
     "13 "
     "SavePos | 14 Call 18 | 15 RestorePos | 16 RestoreSlot 1 | 17 Jump 21 | 18 Char 'a' | 19 "
     "FailIfNoProgress 1 | 20 Jump 11 | 21 Char 'b' | 22 FailIfNoProgress 0 | 23 Jump 2 | 24 "
     "Accept"},
    // A "*" of a run term opens with RepeatOne; its set lies between the "Jump end" and the
    // term, where no path leads.
    {u"(x|y)*",
     "0 Call 2 | 1 NextStart | 2 RepeatOne 0 | 3 SetSlotPos 0 | 4 SavePos | 5 Call 12 | 6 "
     "RestorePos | 7 RestoreSlot 0 | 8 Jump 19 | 9 InClass 12 | 10 Nop 'x' | 11 Nop 'y' | 12 "
     "Call 14 | 13 Return | 14 InClass 17 | 15 Nop 'x' | 16 Nop 'y' | 17 FailIfNoProgress 0 | 18 "
     "Jump 2 | 19 Accept"},
    // A "+" of one opens with RunOnce, which names the RepeatOne after the first copy.
    {u"(a+)+",
     "0 Call 2 | 1 NextStart | 2 RunOnce 16 | 3 Call 5 | 4 Return | 5 Char 'a' | 6 RepeatOne 0 "
     "| 7 SetSlotPos 0 | 8 SavePos | 9 Call 13 | 10 RestorePos | 11 RestoreSlot 0 | 12 Jump 16 | "
     "13 Char 'a' | 14 FailIfNoProgress 0 | 15 Jump 6 | 16 RepeatOne 1 | 17 SetSlotPos 1 | 18 "
     "SavePos | 19 Call 24 | 20 RestorePos | 21 RestoreSlot 1 | 22 Jump 39 | 23 Char 'a' | 24 "
     "Call 26 | 25 Return | 26 Char 'a' | 27 RepeatOne 2 | 28 SetSlotPos 2 | 29 SavePos | 30 "
     "Call 34 | 31 RestorePos | 32 RestoreSlot 2 | 33 Jump 37 | 34 Char 'a' | 35 "
     "FailIfNoProgress 2 | 36 Jump 27 | 37 FailIfNoProgress 1 | 38 Jump 16 | 39 Accept"},
    {u"\\D",
     "0 Call 2 | 1 NextStart | 2 Call 4 | 3 Return | 4 InClass 7 | 5 Nop '0' | 6 Nop '9' | 7 "
     "Accept"},
    {u"\\n",
     "0 Call 2 | 1 NextStart | 2 Call 4 | 3 Return | 4 SavePos | 5 Call 8 | 6 RestorePos | 7 Jump "
     "10 | 8 Char 0x0d | 9 Jump 22 | 10 Call 12 | 11 Return | 12 SaveSlot 0 | 13 SetSlotPos 0 | 14 "
     "SavePos | 15 Call 19 | 16 RestorePos | 17 RestoreSlot 0 | 18 Jump 21 | 19 Char 0x0d | 20 "
     "FailIfNoProgress 0 | 21 Char 0x0a | 22 Accept"},
    {u"\\q",
     "0 Call 2 | 1 NextStart | 2 Call 4 | 3 Return | 4 Char '\"' | 5 RepeatOne 0 | 6 SetSlotPos 0 "
     "| "
     "7 SavePos | 8 Call 12 | 9 RestorePos | 10 RestoreSlot 0 | 11 Jump 17 | 12 NotInClass 15 | 13 "
     "Nop '\"' | 14 Nop '\"' | 15 FailIfNoProgress 0 | 16 Jump 5 | 17 Char '\"' | 18 Accept"},
    // A final lone backslash stands for itself.
    {u"a\\", "0 Call 2 | 1 NextStart | 2 Char 'a' | 3 Char '\\' | 4 Accept"},
};

TEST(CompilePatternTest, EmitsTheProgramOfEachConstruct) {
  for (const ListingCase& c : kConstructs) {
    SCOPED_TRACE(::testing::Message() << "pattern " << Utf8(c.pattern));
    EXPECT_EQ(c.listing, Listing(c.pattern));
  }
}

struct SamePrograms {
  const char16_t* pattern;
  const char16_t* compiles_as;
};

// Where reading stops without an error, the rest is as if it had not been written.
const SamePrograms kLenientStops[] = {
    {u"abc)def", u"abc"},    {u"abc]d", u"abc"}, {u"ab}", u"ab"}, {u"xa|", u"x"},
    {u"xa|b|", u"x"},        {u"(a|)", u"()"},   {u"ab!", u"ab"}, {u"a|!", u""},
    {u"(a*!)b*", u"(a*)b*"},  // a dropped "!" takes no slots
};

TEST(CompilePatternTest, StopsLeniently) {
  for (const SamePrograms& c : kLenientStops) {
    SCOPED_TRACE(::testing::Message() << "pattern " << Utf8(c.pattern));
    EXPECT_EQ(Listing(c.compiles_as), Listing(c.pattern));
  }
  EXPECT_EQ(Listing(u"ab"), Listing(std::u16string_view(u"ab\0cd", 5)));
}

struct ErrorCase {
  const char16_t* pattern;
  PatternError error;
};

const ErrorCase kErrors[] = {
    {u"{a", PatternError::kMissingBrace},
    {u"{a)}", PatternError::kMissingBrace},
    {u"(a", PatternError::kMissingParen},
    {u"(ab]c)", PatternError::kMissingParen},
    {u"[a", PatternError::kMissingBracket},
    {u"[a-]", PatternError::kMissingBracket},
    {u"[a-", PatternError::kMissingBracket},
    {u"[\\", PatternError::kMissingBracket},
    {u"[]", PatternError::kEmptyClass},
    {u"[^]", PatternError::kEmptyClass},
    {u"\\0", PatternError::kNoSuchGroup},
    {u"\\0{a}", PatternError::kNoSuchGroup},
    {u"{a}\\1", PatternError::kNoSuchGroup},
    {u"({a}|)\\0", PatternError::kNoSuchGroup},
    {u"{a}\\99999999999", PatternError::kNoSuchGroup},
    {u"[z-a]", PatternError::kBadRange},
    {u"[Z-a]", PatternError::kBadRange},
    {u"()*", PatternError::kEmptyRepeat},
    {u"(a*)*", PatternError::kEmptyRepeat},
    {u"(a?b?)+", PatternError::kEmptyRepeat},
    {u"(x|y*)*", PatternError::kEmptyRepeat},
    {u"(a|())*", PatternError::kEmptyRepeat},
    {u"!(a?)*?", PatternError::kEmptyRepeat},
    {u"[]{", PatternError::kEmptyClass},  // the first error in reading order wins
    {u"(a*)?", PatternError::kOk},
    {u"(a*b)*", PatternError::kOk},
    {u"(a*\\.)*", PatternError::kOk},
    {u"(a+?)*", PatternError::kOk},
    {u"[-a]", PatternError::kOk},
    {u"[A-z]", PatternError::kOk},
};

TEST(CompilePatternTest, ReportsTheFirstError) {
  for (const ErrorCase& c : kErrors) {
    SCOPED_TRACE(::testing::Message() << "pattern " << Utf8(c.pattern));
    UrlPattern compiled;
    EXPECT_EQ(c.error, CompilePattern(c.pattern, &compiled));
    EXPECT_EQ(c.error, compiled.last_error());
  }
}

TEST(CompilePatternTest, RefusesAnAbbreviationThatDoesNotCompile) {
  const PatternAbbreviation entries[] = {{u'x', u"(a"}, {u'y', u"\\x"}, {u'z', u")"}};
  for (const char16_t* pattern : {u"\\x", u"\\y", u"\\z"}) {
    UrlPattern compiled;
    EXPECT_EQ(PatternError::kBadAbbreviation,
              CompilePatternForTesting(pattern, {entries, 3}, &compiled));
  }
}

TEST(CompilePatternTest, NoPatternLeavesTheCompiledPatternAlone) {
  UrlPattern compiled;
  ASSERT_EQ(PatternError::kOk, CompilePattern(u"{a}", &compiled));
  EXPECT_EQ(PatternError::kNoPattern, CompilePattern(nullptr, &compiled));
  EXPECT_EQ(1u, compiled.group_count());
  EXPECT_EQ(PatternError::kNoPattern, CompilePattern(u"a", nullptr));
}

TEST(CompilePatternTest, CountsGroupsAndSlots) {
  struct {
    const char16_t* pattern;
    uint32_t groups;
    uint32_t slots;
  } const cases[] = {{u"{a}{b}", 2, 0}, {u"{a}+", 1, 1}, {u"({a}|)b*", 0, 1}, {u"!{a}+", 1, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "pattern " << Utf8(c.pattern));
    UrlPattern compiled;
    ASSERT_EQ(PatternError::kOk, CompilePattern(c.pattern, &compiled));
    EXPECT_EQ(c.groups, compiled.group_count());
    EXPECT_EQ(c.slots, compiled.slot_count());
    EXPECT_FALSE(compiled.case_sensitive());
  }
}

// Former faults: nesting used to be read again at every level, and without a limit.

TEST(CompilePatternTest, LimitsNestingTo256Levels) {
  const std::u16string kinds[][2] = {{u"(", u")"}, {u"{", u"}"}, {u"!", u""}, {u"(!", u")"}};
  for (const auto& kind : kinds) {
    SCOPED_TRACE(::testing::Message() << "opener " << Utf8(kind[0]));
    const int levels_per_opener = static_cast<int>(kind[0].size());
    const int at_limit = 256 / levels_per_opener;
    UrlPattern compiled;
    const std::u16string deepest = Repeat(kind[0], at_limit) + u"a" + Repeat(kind[1], at_limit);
    EXPECT_EQ(PatternError::kOk, CompilePattern(deepest, &compiled));
    const std::u16string too_deep =
        Repeat(kind[0], at_limit + 1) + u"a" + Repeat(kind[1], at_limit + 1);
    EXPECT_EQ(PatternError::kTooDeep, CompilePattern(too_deep, &compiled));
  }
}

TEST(CompilePatternTest, DeepNestingCompilesToTheNestedProgram) {
  UrlPattern compiled;
  ASSERT_EQ(PatternError::kOk,
            CompilePattern(Repeat(u"(", 40) + u"a" + Repeat(u")", 40), &compiled));
  std::string expected = "0 Call 2 | 1 NextStart";
  for (int level = 0; level < 40; ++level) {
    const int call = 2 + 2 * level;
    expected += " | " + std::to_string(call) + " Call " + std::to_string(call + 2) + " | " +
                std::to_string(call + 1) + " Return";
  }
  expected += " | 82 Char 'a' | 83 Accept";
  EXPECT_EQ(expected, DumpProgram(compiled.instructions()));
}

TEST(CompilePatternTest, RefusesAProgramThatWouldOutgrowItsBound) {
  // Every "+" holds two copies of its term, so 21 nested "+" would need over 2^21
  // instructions.
  UrlPattern compiled;
  EXPECT_EQ(PatternError::kOutOfMemory,
            CompilePattern(Repeat(u"(", 21) + u"a" + Repeat(u")+", 21), &compiled));
  EXPECT_EQ(PatternError::kOk,
            CompilePattern(Repeat(u"(", 12) + u"a" + Repeat(u")+", 12), &compiled));
}

}  // namespace
}  // namespace zelk
