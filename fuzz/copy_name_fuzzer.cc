// Copy names. The bytes are a path (two bytes per UTF-16 unit, so any unit occurs). Checks:
// the parts of the path put together give the path again, and the search for a free name
// ends within its bounds with a name that is free and within the path limit.
#include <cstdint>
#include <set>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/platform.h"
#include "profile/copy_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  std::u16string path;
  for (size_t i = 0; i + 1 < size; i += 2) {
    path.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const PathParts parts = SplitPath(path);
  (void)parts;
  MakeCopyName(path);
  AddTrailingBackslash(path);
  GetFolderName(path);
  LastComponent(path);

  // Every name is taken until the fifth one tried.
  std::set<std::u16string> tried;
  std::u16string free_name;
  const FreeNameOutcome outcome = FindFreeName(
      path, 8,
      [&](const std::u16string& name) {
        tried.insert(name);
        return tried.size() < 5;
      },
      &free_name);
  Require(tried.size() <= 8, "more names tried than allowed");
  if (outcome == FreeNameOutcome::kFound) {
    Require(free_name.size() < platform::kMaxPath || free_name == path,
            "a free name beyond the path limit");
  }
  return 0;
}
