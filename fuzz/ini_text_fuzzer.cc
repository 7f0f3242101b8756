// INI text. The first byte is the buffer's capacity; section and key follow, each ended
// by 0x01; the rest is the file. Checks: the answer fits the buffer as the Win32 call
// cuts it, and asking twice answers alike.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/emulation/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zelk;
  using namespace zelk::fuzz;
  FuzzInput input(data, size);
  const size_t capacity = input.TakeByte();
  const std::u16string section = Widen(input.TakeUntil('\x01'));
  const std::u16string key = Widen(input.TakeUntil('\x01'));
  const std::string_view file = input.TakeRest();
  const std::u16string answer =
      platform::IniStringFromBytes(file, section, key, u" \"dflt\" ", capacity);
  Require(capacity == 0 ? answer.empty() : answer.size() < capacity, "the answer overflows");
  Require(answer == platform::IniStringFromBytes(file, section, key, u" \"dflt\" ", capacity),
          "asking twice answers otherwise");
  platform::DecodeIniBytes(file);
  return 0;
}
