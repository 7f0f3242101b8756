// The steps every walk over the filter rules takes alike: the answer when there are no rules
// to ask, the trial of one compiled rule against the address, and the default answer. The
// indexed check uses them, and so do the plain walks it is proved against. Pure code.
#ifndef ZELK_URLFILTER_RULE_TRIAL_H_
#define ZELK_URLFILTER_RULE_TRIAL_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "urlfilter/pattern/compiler.h"
#include "urlfilter/pattern/matcher.h"
#include "urlfilter/url_decision.h"

namespace zelk {

// True, with the answer in `decision`, when the input needs no rules: checking is off, or
// no filter file is configured; both allow everything.
bool DecidedWithoutRules(const UrlCheckInput& input, UrlDecision* decision);

// The text the matcher sees: `address` folded A-Z, up to its first 0 if any. An address
// without a capital letter (nearly every one) is read where it lies; any other is folded
// into `room`, whose memory is kept for the next check. A long address then costs no copy
// and no fresh pages for one.
std::u16string_view MatchedText(std::u16string_view address, std::u16string* room);

// Appends the trial of the rule on `line` to the input's trials, when it asks for them.
void NoteTrial(const UrlCheckInput& input, size_t line, uint64_t steps);

// Tries one rule, its program (or the error it compiled with) given; true when it decides
// the address: it matched, it did not compile, or the budget ran out. Counts the rule and
// its steps in `decision`.
bool TryRule(const UrlCheckInput& input,
             size_t line,
             bool allow,
             PatternError error,
             const UrlPattern& pattern,
             std::u16string_view text,
             MatchState* state,
             UrlDecision* decision);

// No pattern rule decided: the last default rule does, when the list has one (`seen`).
void GiveDefault(bool seen, bool allow, size_t line, UrlDecision* decision);

}  // namespace zelk

#endif  // ZELK_URLFILTER_RULE_TRIAL_H_
