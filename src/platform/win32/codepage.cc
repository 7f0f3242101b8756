// The calling thread's ANSI code page: WideCharToMultiByte and MultiByteToWideChar.
#include <windows.h>

#include <climits>

#include "platform/emulation/utf8_prefix.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"

namespace zelk::platform {
namespace {

// The number of the thread's ANSI code page, for the calls that do not take
// CP_THREAD_ACP.
UINT ThreadCodePage() {
  CPINFOEXW info;
  return GetCPInfoExW(CP_THREAD_ACP, 0, &info) ? info.CodePage : GetACP();
}

}  // namespace

// Texts longer than an int can count are beyond the calls; they convert to nothing.
std::string WideToAnsi(std::u16string_view text) {
  try {
    if (text.empty() || text.size() > INT_MAX / 4) {
      return std::string();
    }
    const auto* source = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed =
        WideCharToMultiByte(CP_THREAD_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
      return std::string();
    }
    std::string out(static_cast<size_t>(needed), '\0');
    const int written =
        WideCharToMultiByte(CP_THREAD_ACP, 0, source, length, out.data(), needed, nullptr, nullptr);
    out.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return out;
  } catch (...) {
    return std::string();
  }
}

std::u16string AnsiToWide(std::string_view text) {
  try {
    if (text.empty() || text.size() > INT_MAX / 2) {
      return std::u16string();
    }
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) {
      return std::u16string();
    }
    std::wstring out(static_cast<size_t>(needed), L'\0');
    const int written =
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), length, out.data(), needed);
    return win32::FromWide(out.data(), written > 0 ? static_cast<size_t>(written) : 0);
  } catch (...) {
    return std::u16string();
  }
}

// Double-byte code pages mark their lead bytes; UTF-8 (65001) has no such table.
size_t AnsiPrefixLength(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) {
    return text.size();
  }
  const UINT code_page = ThreadCodePage();
  if (code_page == CP_UTF8) {
    return Utf8PrefixLength(text, max_bytes);
  }
  size_t length = 0;
  for (;;) {
    const size_t next =
        length + (IsDBCSLeadByteEx(code_page, static_cast<BYTE>(text[length])) ? 2 : 1);
    if (next > max_bytes) {
      return length;
    }
    length = next;
  }
}

}  // namespace zelk::platform
