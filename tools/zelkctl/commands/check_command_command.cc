// zelkctl check-command: the answer for each command id, with the key that governs it.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "config/command_visibility_table.h"
#include "tools/zelkctl/cli.h"
#include "tools/zelkctl/support/json.h"

namespace zelk::tools {
namespace {

bool ParseId(const std::string& text, int32_t* id) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < INT32_MIN || value > INT32_MAX) {
    return false;
  }
  *id = static_cast<int32_t>(value);
  return true;
}

std::string Governor(int32_t id) {
  const CommandMapping* mapping = FindCommandMapping(id);
  if (mapping == nullptr) {
    return "no key governs it";
  }
  const CommandVisibilitySlot& slot = kCommandVisibilityTable[mapping->slot];
  return ToUtf8(slot.section) + "/" + ToUtf8(slot.key);
}

int RunCheckCommand(Invocation& invocation) {
  if (invocation.args.empty()) {
    std::fprintf(stderr, "zelkctl check-command: name at least one command id\n");
    return kExitUsage;
  }
  std::vector<int32_t> ids;
  for (const std::string& arg : invocation.args) {
    int32_t id = 0;
    if (!ParseId(arg, &id)) {
      std::fprintf(stderr, "zelkctl check-command: not a command id: %s\n", arg.c_str());
      return kExitUsage;
    }
    ids.push_back(id);
  }
  if (!invocation.LoadLibrary()) {
    return kExitUsage;
  }
  JsonWriter json;
  json.BeginArray();
  for (int32_t id : ids) {
    const int answer = invocation.library.CheckCommand(id);
    if (invocation.json) {
      json.BeginObject().Key("id").Number(id).Key("answer").Number(answer);
      json.Key("governed_by").String(Governor(id)).EndObject();
    } else {
      PrintLine(std::to_string(id) + "  " + (answer ? "allowed" : "refused") + "  (" +
                Governor(id) + ")");
    }
  }
  if (invocation.json) {
    PrintLine(json.EndArray().text());
  }
  return kExitOk;
}

}  // namespace

const Command kCheckCommandCommand = {"check-command", "[--json] ID...",
                                      "tell whether each browser command id may run",
                                      RunCheckCommand};

}  // namespace zelk::tools
