#include "urlfilter/literal_alternatives.h"

#include <iterator>
#include <string_view>
#include <utility>

#include "urlfilter/literal_factors.h"

namespace zelk {
namespace {

using Texts = std::vector<std::u16string>;

// The texts held together; a literal set is given up past kMaxLiteralCharacters.
constexpr size_t kMaxLiteralCharacters = size_t{1} << 20;

size_t TotalLength(const Texts& texts) {
  size_t total = 0;
  for (const std::u16string& text : texts) {
    total += text.size();
  }
  return total;
}

Texts Joined(const Texts& run, const Texts& term) {
  Texts joined;
  joined.reserve(run.size() * term.size());
  for (const std::u16string& x : run) {
    for (const std::u16string& y : term) {
      joined.push_back(x + y);
    }
  }
  return joined;
}

bool AllTexts(const PatternNode& node, Texts* texts);

// Appends `tail` to every text of `texts`, which hold `*characters` characters together.
void AppendToEach(std::u16string_view tail, Texts* texts, size_t* characters) {
  for (std::u16string& x : *texts) {
    x += tail;
  }
  *characters += texts->size() * tail.size();
}

// AllTexts of a sequence. A character, the common term, and any term of one text are
// appended in place, without a set of its own, so that a long literal costs its length,
// not its length squared, and no memory per character.
bool AllTextsOfSequence(const PatternNode& node, Texts* texts) {
  *texts = {u""};
  size_t characters = 0;
  Texts term;
  for (const PatternNode& child : node.children) {
    if (child.kind == NodeKind::kChar) {
      const char16_t c = static_cast<char16_t>(child.value);
      if (c == 0) {
        return false;
      }
      AppendToEach(std::u16string_view(&c, 1), texts, &characters);
    } else if (!AllTexts(child, &term) || texts->size() * term.size() > kMaxLiteralAlternatives) {
      return false;
    } else if (term.size() == 1) {
      AppendToEach(term[0], texts, &characters);
    } else {
      *texts = Joined(*texts, term);
      characters = TotalLength(*texts);
    }
    if (characters > kMaxLiteralCharacters) {
      return false;
    }
  }
  return true;
}

// Every text `node` can match, when it is made only of literal characters, groups and
// alternatives; false otherwise or past kMaxLiteralAlternatives texts.
bool AllTexts(const PatternNode& node, Texts* texts) {
  switch (node.kind) {
    case NodeKind::kChar:
      *texts = {std::u16string(1, static_cast<char16_t>(node.value))};
      return node.value != 0;
    case NodeKind::kGroup:
    case NodeKind::kCapture:
      return AllTexts(node.children[0], texts);
    case NodeKind::kAlternation: {
      texts->clear();
      size_t characters = 0;
      for (const PatternNode& child : node.children) {
        Texts alternative;
        if (!AllTexts(child, &alternative) ||
            texts->size() + alternative.size() > kMaxLiteralAlternatives) {
          return false;
        }
        characters += TotalLength(alternative);
        if (characters > kMaxLiteralCharacters) {
          return false;
        }
        texts->insert(texts->end(), std::make_move_iterator(alternative.begin()),
                      std::make_move_iterator(alternative.end()));
      }
      return true;
    }
    case NodeKind::kSequence:
      return AllTextsOfSequence(node, texts);
    default:
      return false;
  }
}

}  // namespace

bool LiteralAlternatives(const PatternReading& reading, std::vector<std::u16string>* texts) {
  texts->clear();
  if (reading.error != PatternError::kOk || reading.anchored ||
      !AllTexts(reading.sequence, texts)) {
    texts->clear();
    return false;
  }
  *texts = WithoutTextsHoldingOthers(UniqueTexts(std::move(*texts)));
  if (texts->empty() || texts->front().empty()) {
    texts->clear();
    return false;
  }
  return true;
}

}  // namespace zelk
