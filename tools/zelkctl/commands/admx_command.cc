// zelkctl admx: Group Policy administrative templates (zelk.admx and en-US/zelk.adml) for
// every key, so a fleet's settings can be pushed with the tool the Windows estate already
// uses. Group Policy writes the very registry values the library reads.
#include <filesystem>
#include <sstream>
#include <string>

#include "common/text.h"
#include "config/readers.h"
#include "host/version.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/key_catalog.h"
#include "tools/zelkctl/support/output_file.h"

namespace zelk::tools {
namespace {

// The library's own key, and the same key in the 32-bit view of a 64-bit machine.
const std::string kRegistryBase = ToUtf8(RegistryKeyOfSection(u""));
const std::string kWowRegistryBase =
    ToUtf8(kRegistrySoftwareKey) + "\\WOW6432Node\\" + ToUtf8(kRegistryProductKey) + "\\";
constexpr char kSchema[] = "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

std::string Xml(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        escaped.push_back(c);
        break;
    }
  }
  return escaped;
}

// One policy per key and view: the keys every 32-bit browser reads (machine and user),
// and the machine keys of the 32-bit view that a 32-bit library reads on 64-bit Windows.
struct View {
  const char* suffix;
  const char* policy_class;
  const std::string& base;
  const char* category_suffix;
};
const View kViews[] = {
    {"", "Both", kRegistryBase, ""},
    {"_Wow64", "Machine", kWowRegistryBase, "_Wow64"},
};

std::string Id(const CatalogKey& key) {
  return key.section + "_" + key.key;
}

void WritePolicy(const CatalogKey& key, const View& view, std::ostringstream& out) {
  const std::string id = Id(key);
  out << "    <policy name=\"" << id << view.suffix << "\" class=\"" << view.policy_class
      << "\" displayName=\"$(string." << id << ")\" explainText=\"$(string." << id
      << "_Help)\" key=\"" << Xml(view.base + key.section) << "\"";
  if (key.type == ValueType::kBool) {
    out << " valueName=\"" << key.key << "\">\n"
        << "      <parentCategory ref=\"" << key.section << view.category_suffix << "\" />\n"
        << "      <supportedOn ref=\"SUPPORTED_Zelk\" />\n"
        << "      <enabledValue><string>TRUE</string></enabledValue>\n"
        << "      <disabledValue><string>FALSE</string></disabledValue>\n"
        << "    </policy>\n";
    return;
  }
  out << " presentation=\"$(presentation." << id << ")\">\n"
      << "      <parentCategory ref=\"" << key.section << view.category_suffix << "\" />\n"
      << "      <supportedOn ref=\"SUPPORTED_Zelk\" />\n"
      << "      <elements>\n"
      << "        <text id=\"" << id << "_Value\" valueName=\"" << key.key
      << "\" maxLength=\"1023\" />\n"
      << "      </elements>\n"
      << "    </policy>\n";
}

std::string Admx() {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      << "<policyDefinitions xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
         "schemaVersion=\"1.0\" xmlns=\""
      << kSchema << "\">\n"
      << "  <policyNamespaces>\n"
      << "    <target prefix=\"zelk\" namespace=\"VelmoraLabs.Policies.Zelk\" />\n"
      << "    <using prefix=\"windows\" namespace=\"Microsoft.Policies.Windows\" />\n"
      << "  </policyNamespaces>\n"
      << "  <resources minRequiredRevision=\"1.0\" />\n"
      << "  <supportedOn>\n    <definitions>\n"
      << "      <definition name=\"SUPPORTED_Zelk\" displayName=\"$(string.SUPPORTED_Zelk)\" />\n"
      << "    </definitions>\n  </supportedOn>\n"
      << "  <categories>\n"
      << "    <category name=\"Zelk\" displayName=\"$(string.Zelk)\" />\n"
      << "    <category name=\"Zelk_Wow64\" displayName=\"$(string.Zelk_Wow64)\">"
         "<parentCategory ref=\"Zelk\" /></category>\n";
  for (const std::string& section : AllSections()) {
    out << "    <category name=\"" << section << "\" displayName=\"$(string.Section_" << section
        << ")\"><parentCategory ref=\"Zelk\" /></category>\n"
        << "    <category name=\"" << section << "_Wow64\" displayName=\"$(string.Section_"
        << section << ")\"><parentCategory ref=\"Zelk_Wow64\" /></category>\n";
  }
  out << "  </categories>\n  <policies>\n";
  for (const View& view : kViews) {
    for (const CatalogKey& key : AllKeys()) {
      WritePolicy(key, view, out);
    }
  }
  out << "  </policies>\n</policyDefinitions>\n";
  return out.str();
}

std::string HelpText(const CatalogKey& key) {
  std::string help = key.meaning + "\n\nRegistry value " + key.key + " under " + kRegistryBase +
                     key.section + ", default " +
                     (key.default_text.empty() ? "empty" : key.default_text) + ".";
  if (key.type == ValueType::kBool) {
    help +=
        " Enabled writes the string TRUE, Disabled the string FALSE; Zelk ignores DWORD values.";
  } else {
    help += " The text TRUE stands for the default, FALSE for the empty string.";
  }
  if (key.security_relevant) {
    help += " Lock the user's key if a kiosk user must not override it.";
  }
  return help;
}

std::string Adml() {
  std::ostringstream strings;
  std::ostringstream presentations;
  strings
      << "      <string id=\"Zelk\">Zelk kiosk browser</string>\n"
      << "      <string id=\"Zelk_Wow64\">32-bit view on 64-bit Windows (WOW6432Node)</string>\n"
      << "      <string id=\"SUPPORTED_Zelk\">Zelk " ZELK_RELEASE_LINE " and later</string>\n";
  for (const std::string& section : AllSections()) {
    strings << "      <string id=\"Section_" << section << "\">" << section << "</string>\n";
  }
  for (const CatalogKey& key : AllKeys()) {
    const std::string id = Id(key);
    strings << "      <string id=\"" << id << "\">" << Xml(key.section + ": " + key.key)
            << "</string>\n"
            << "      <string id=\"" << id << "_Help\">" << Xml(HelpText(key)) << "</string>\n";
    if (key.type == ValueType::kString) {
      presentations << "      <presentation id=\"" << id << "\">\n"
                    << "        <textBox refId=\"" << id << "_Value\"><label>" << Xml(key.key)
                    << "</label><defaultValue>" << Xml(key.default_text)
                    << "</defaultValue></textBox>\n"
                    << "      </presentation>\n";
    }
  }
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      << "<policyDefinitionResources xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" revision=\"1.0\" "
         "schemaVersion=\"1.0\" xmlns=\""
      << kSchema << "\">\n"
      << "  <displayName>Zelk</displayName>\n"
      << "  <description>Settings of the Zelk kiosk browser library.</description>\n"
      << "  <resources>\n    <stringTable>\n"
      << strings.str() << "    </stringTable>\n    <presentationTable>\n"
      << presentations.str() << "    </presentationTable>\n  </resources>\n"
      << "</policyDefinitionResources>\n";
  return out.str();
}

int RunAdmx(Invocation& invocation) {
  const std::filesystem::path folder = invocation.args.empty()
                                           ? std::filesystem::path(".")
                                           : std::filesystem::u8path(invocation.args[0]);
  const std::filesystem::path admx = folder / "zelk.admx";
  const std::filesystem::path adml = folder / "en-US" / "zelk.adml";
  if (!WriteFileBytes(admx.u8string(), Admx(), true) ||
      !WriteFileBytes(adml.u8string(), Adml(), true)) {
    std::fprintf(stderr, "zelkctl admx: cannot write into %s\n", folder.u8string().c_str());
    return kExitFindings;
  }
  PrintLine("wrote " + admx.u8string());
  PrintLine("wrote " + adml.u8string());
  return kExitOk;
}

}  // namespace

const Command kAdmxCommand = {
    "admx", "[FOLDER]", "write Group Policy templates zelk.admx and en-US/zelk.adml", RunAdmx};

}  // namespace zelk::tools
