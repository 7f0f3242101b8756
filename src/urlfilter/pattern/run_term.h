// Terms whose greedy repeat reaches exactly the positions a repeat of one character class
// would, so that the matcher may search it as a scan over single characters. Pure code.
#ifndef ZELK_URLFILTER_PATTERN_RUN_TERM_H_
#define ZELK_URLFILTER_PATTERN_RUN_TERM_H_

#include <vector>

#include "urlfilter/pattern/parser.h"

namespace zelk {

// True when `term` is a run term: it matches only texts of one or more characters of one
// set S, it matches each single character of S, and it leaves no trace a later instruction
// could read (no capture group, back-reference or negation inside). Then "term*" reaches,
// from any position, every position up to the end of the run of S there and no other, and
// its first success in backtracking order is at the furthest of them from which the rest
// succeeds: exactly what a greedy repeat of the class S finds. Chars, ".", classes, groups
// of one run term, alternations of run terms and "+" or "+?" of a run term are run terms
// ("(a+)+", "(x|y)*", "(\w|-)+"); so is an alternation some of whose parts are sequences
// of such terms, as long as every character they consume is matched alone by another part
// ("(a|aa)", "(ab|a|b)"). On true, `set` holds S as sorted, disjoint ranges that
// never hold 0 (the end of input).
bool RunTermCharacters(const PatternNode& term, std::vector<ClassMember>* set);

// True when `term` always consumes exactly one character when it matches: a character
// other than the end of input, "." or a class. A group is not, even of one character.
bool IsOneCharacter(const PatternNode& term);

// True when every alternative of `alternation` is one character; `set` then holds the
// union of what they match, as RunTermCharacters gives it. Each alternative takes the one
// character and leaves no trace, so an alternative after the first that also takes it could
// only retry what the first tried: one set of the union finds the same matches, at the same
// places, with the same captures, and cannot make a repeat around it ambiguous.
bool OneCharacterChoice(const PatternNode& alternation, std::vector<ClassMember>* set);

}  // namespace zelk

#endif  // ZELK_URLFILTER_PATTERN_RUN_TERM_H_
