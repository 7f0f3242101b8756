// What the list benchmarks share: timing, resident memory, the figures of a run of
// checks, and a list written out as a filter file.
#ifndef ZELK_BENCH_BENCH_SUPPORT_H_
#define ZELK_BENCH_BENCH_SUPPORT_H_

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "common/text.h"

#if defined(_WIN32)
#define PSAPI_VERSION 2  // the counters from kernel32, with no library of their own to link
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>
#endif

namespace zelk::bench {

template <typename F>
double TimeUs(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

#if defined(_WIN32)
inline PROCESS_MEMORY_COUNTERS_EX MemoryCounters() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof(counters));
  return counters;
}
#endif

// Resident memory of this process in bytes: its working set on Windows; 0 where neither
// that nor /proc is there.
inline size_t ResidentBytes() {
#if defined(_WIN32)
  return MemoryCounters().WorkingSetSize;
#else
  std::ifstream statm("/proc/self/statm");
  size_t pages = 0;
  size_t resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
#endif
}

// Bytes in use in this process's heaps (the C runtime keeps one of its own), walked block
// by block (Windows), or 0.
inline size_t HeapInUseBytes() {
  size_t bytes = 0;
#if defined(_WIN32)
  HANDLE heaps[64];
  const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
  for (DWORD i = 0; i < count; ++i) {
    if (!HeapLock(heaps[i])) {
      continue;
    }
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heaps[i], &entry)) {
      bytes += (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0 ? entry.cbData : 0;
    }
    HeapUnlock(heaps[i]);
  }
#endif
  return bytes;
}

struct Figures {
  double median_us = 0;
  double p99_us = 0;
  double max_us = 0;
};

inline Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  Figures figures;
  if (!times.empty()) {
    figures.median_us = times[times.size() / 2];
    figures.p99_us = times[std::min(times.size() - 1, times.size() * 99 / 100)];
    figures.max_us = times.back();
  }
  return figures;
}

// UTF-8 lines written out as a filter file with CR LF ends, removed again when done.
class ListFile {
 public:
  // The file's name gets a random tag, so that two benchmarks running at once never write
  // each other's lists.
  ListFile(const std::string& name, const std::vector<std::string>& lines)
      : path_(std::filesystem::temp_directory_path() /
              (std::to_string(std::random_device{}()) + "-" + name)) {
    std::ofstream out(path_, std::ios::binary);
    for (const std::string& line : lines) {
      out << line << "\r\n";
    }
    bytes_ = static_cast<size_t>(out.tellp());
  }
  ~ListFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  ListFile(const ListFile&) = delete;
  ListFile& operator=(const ListFile&) = delete;

  std::u16string library_path() const { return FromUtf8(path_.string()); }
  size_t bytes() const { return bytes_; }

 private:
  std::filesystem::path path_;
  size_t bytes_ = 0;
};

}  // namespace zelk::bench

#endif  // ZELK_BENCH_BENCH_SUPPORT_H_
