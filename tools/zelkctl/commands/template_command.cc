// zelkctl template: a fully commented zelk.ini with every key, its type, default and meaning.
#include <cstdio>
#include <sstream>
#include <string>

#include "common/text.h"
#include "config/readers.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/key_catalog.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

std::string IdsText(const std::vector<int>& ids) {
  std::string text;
  for (int id : ids) {
    text += (text.empty() ? "" : ", ") + std::to_string(id);
  }
  return text;
}

void WriteKey(const CatalogKey& key, std::ostringstream& out) {
  const bool is_bool = key.type == ValueType::kBool;
  out << "; " << key.key << " (" << (is_bool ? "boolean" : "text") << ", default "
      << (key.default_text.empty() ? "empty" : key.default_text) << ")\n";
  out << ";   " << key.meaning << "\n";
  if (!key.command_ids.empty()) {
    out << ";   FALSE also refuses the command ids " << IdsText(key.command_ids) << ".\n";
  }
  out << ";" << key.key << "=" << key.default_text << "\n";
}

std::string Template() {
  std::ostringstream out;
  out << "; zelk.ini: configuration of the Zelk kiosk library.\n"
         ";\n"
         "; Lies in the folder of the browser's executable. The same keys as string values\n"
         "; under "
      << ToUtf8(RegistryKeyOfSection(u"<Section>"))
      << " override this file: first those of\n"
         "; HKEY_LOCAL_MACHINE, then those of HKEY_CURRENT_USER.\n"
         ";\n"
         "; Booleans are TRUE or FALSE (any letter case); anything else, 1, yes and on\n"
         "; included, reads as FALSE. For a text, TRUE means its built-in default and FALSE\n"
         "; the empty string. Every key below is commented out and shows its default:\n"
         "; remove the semicolon to set it.\n";
  std::string section;
  for (const CatalogKey& key : AllKeys()) {
    if (key.section != section) {
      section = key.section;
      out << "\n[" << section << "]\n";
    }
    WriteKey(key, out);
  }
  return out.str();
}

int RunTemplate(Invocation& invocation) {
  const std::string text = Template();
  const std::string path = invocation.args.empty() ? "" : invocation.args[0];
  if (!WriteOutput(path, text)) {
    std::fprintf(stderr, "zelkctl template: cannot write %s\n", path.c_str());
    return kExitFindings;
  }
  if (!path.empty()) {
    PrintLine("wrote " + path);
  }
  return kExitOk;
}

}  // namespace

const Command kTemplateCommand = {"template", "[FILE]",
                                  "write a fully commented zelk.ini with every key (default: to "
                                  "standard output)",
                                  RunTemplate};

}  // namespace zelk::tools
