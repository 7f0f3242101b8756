#include "tools/zelkctl/doctor/known_keys.h"

#include <algorithm>

#include "common/text.h"
#include "config/command_visibility_table.h"

namespace zelk::tools::doctor {
namespace {

std::vector<KnownKey> BuildKnownKeys() {
  std::vector<KnownKey> keys;
  for (const SettingKey& k : kSettingKeys) {
    const bool text_field = k.destination == Destination::kRecord && k.type == ValueType::kString;
    keys.push_back({k.section, k.key, k.type, text_field ? static_cast<size_t>(k.record_size) : 0,
                    k.security_relevant, k.default_flag,
                    k.default_text != nullptr ? k.default_text : u""});
  }
  for (const CommandVisibilitySlot& slot : kCommandVisibilityTable) {
    if (slot.key != nullptr) {
      keys.push_back({slot.section, slot.key, ValueType::kBool, 0, true, kMenuFlagDefault, u""});
    }
  }
  return keys;
}

// No known name is longer, so a longer one is not compared (which keeps a file of long
// garbage lines quick).
constexpr size_t kLongestNameCompared = 48;

// Close enough to be a slip of the keyboard: one edit in a short name, two in a longer one.
bool IsNear(size_t distance, std::u16string_view name) {
  return distance != 0 && distance <= (name.size() <= 4 ? 1u : 2u);
}

std::string Quoted(std::u16string_view section) {
  return "[" + ToUtf8(section) + "]";
}

// The nearest key name, in `section` or (when it is empty) in any section.
const KnownKey* NearestKey(std::u16string_view section, std::u16string_view name) {
  const KnownKey* best = nullptr;
  size_t best_distance = 0;
  if (name.size() > kLongestNameCompared) {
    return nullptr;
  }
  for (const KnownKey& key : KnownKeys()) {
    if (!section.empty() && !EqualsIgnoringAsciiCase(key.section, section)) {
      continue;
    }
    const size_t distance = NameDistance(key.key, name);
    if (IsNear(distance, name) && (best == nullptr || distance < best_distance)) {
      best = &key;
      best_distance = distance;
    }
  }
  return best;
}

}  // namespace

const std::vector<KnownKey>& KnownKeys() {
  static const std::vector<KnownKey> kKeys = BuildKnownKeys();
  return kKeys;
}

const KnownKey* FindKnownKey(std::u16string_view section, std::u16string_view key) {
  for (const KnownKey& known : KnownKeys()) {
    if (EqualsIgnoringAsciiCase(known.section, section) &&
        EqualsIgnoringAsciiCase(known.key, key)) {
      return &known;
    }
  }
  return nullptr;
}

std::u16string_view KnownSection(std::u16string_view section) {
  for (const KnownKey& known : KnownKeys()) {
    if (EqualsIgnoringAsciiCase(known.section, section)) {
      return known.section;
    }
  }
  return {};
}

std::string SuggestSection(std::u16string_view name) {
  std::u16string_view best;
  size_t best_distance = 0;
  if (name.size() > kLongestNameCompared) {
    return "";
  }
  for (const KnownKey& known : KnownKeys()) {
    const size_t distance = NameDistance(known.section, name);
    if (IsNear(distance, name) && (best.empty() || distance < best_distance)) {
      best = known.section;
      best_distance = distance;
    }
  }
  return best.empty() ? "" : "did you mean " + Quoted(best) + "?";
}

std::string SuggestKey(std::u16string_view section, std::u16string_view name) {
  for (const KnownKey& known : KnownKeys()) {
    if (EqualsIgnoringAsciiCase(known.key, name)) {
      return ToUtf8(known.key) + " is a key of " + Quoted(known.section);
    }
  }
  if (const KnownKey* near = NearestKey(section, name)) {
    return "did you mean " + ToUtf8(near->key) + "?";
  }
  if (const KnownKey* near = NearestKey(u"", name)) {
    return "did you mean " + ToUtf8(near->key) + " of " + Quoted(near->section) + "?";
  }
  return "";
}

size_t NameDistance(std::u16string_view a, std::u16string_view b) {
  // One row of the classic table at a time; names are short.
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) {
    row[j] = j;
  }
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const size_t change = FoldAscii(a[i - 1]) == FoldAscii(b[j - 1]) ? 0 : 1;
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + change});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace zelk::tools::doctor
