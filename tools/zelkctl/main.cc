// zelkctl: the administrator's tool and reference host of the Zelk library.
#include <string>
#include <vector>

#include "common/text.h"
#include "tools/zelkctl/cli.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(zelk::ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  return zelk::tools::RunZelkctl(args);
}
#else
int main(int argc, char** argv) {
  return zelk::tools::RunZelkctl(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
