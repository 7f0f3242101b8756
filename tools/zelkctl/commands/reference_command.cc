// zelkctl reference: the configuration reference in Markdown, made from the key tables, so
// the README's reference cannot drift from what the library reads.
#include <string>

#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/key_catalog.h"

namespace zelk::tools {
namespace {

std::string DefaultOf(const CatalogKey& key) {
  if (key.type == ValueType::kBool) {
    return key.default_text;
  }
  return key.default_text.empty() ? "(empty)" : "`" + key.default_text + "`";
}

std::string IdsOf(const CatalogKey& key) {
  std::string ids;
  for (int id : key.command_ids) {
    ids += (ids.empty() ? "" : ", ") + std::to_string(id);
  }
  return ids.empty() ? "" : " (" + ids + ")";
}

int RunReference(Invocation&) {
  const std::vector<CatalogKey> keys = AllKeys();
  PrintLine("| Section | Key | Type | Default | Where | Meaning |");
  PrintLine("|---|---|---|---|---|---|");
  for (const CatalogKey& key : keys) {
    if (key.kind != KeyKind::kMenuFlag) {
      PrintLine("| `" + key.section + "` | `" + key.key + "` | " +
                (key.type == ValueType::kBool ? "boolean" : "text") + " | " + DefaultOf(key) +
                " | " + key.where + " | " + key.meaning + " |");
    }
  }
  PrintLine("");
  PrintLine("Toolbar and menu entries: booleans, default TRUE (the entry stays). FALSE takes the");
  PrintLine("entry away; the command ids in brackets are then refused by CheckCommand.");
  PrintLine("");
  std::string line;
  std::string section;
  for (const CatalogKey& key : keys) {
    if (key.kind != KeyKind::kMenuFlag) {
      continue;
    }
    if (key.section != section) {
      if (!line.empty()) {
        PrintLine(line);
      }
      section = key.section;
      line = "- `" + section + "`: ";
    } else {
      line += ", ";
    }
    line += key.key + IdsOf(key);
  }
  PrintLine(line);
  return kExitOk;
}

}  // namespace

const Command kReferenceCommand = {
    "reference", "", "print the configuration reference (Markdown) of every key", RunReference};

}  // namespace zelk::tools
