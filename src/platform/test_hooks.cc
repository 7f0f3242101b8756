#include "platform/test_hooks.h"

#include <utility>

namespace zelk::platform {
namespace {

// Built on first use, so that no order of static construction matters.
std::u16string& HostPathSlot() {
  static std::u16string path;
  return path;
}

MessageBoxSink& SinkSlot() {
  static MessageBoxSink sink;
  return sink;
}

}  // namespace

namespace internal {

const std::u16string& HostExecutablePathOverride() {
  return HostPathSlot();
}

const MessageBoxSink& MessageBoxSinkOverride() {
  return SinkSlot();
}

}  // namespace internal

std::u16string HostExecutablePath() {
  try {
    const std::u16string& override_path = internal::HostExecutablePathOverride();
    return override_path.empty() ? internal::SystemHostExecutablePath() : override_path;
  } catch (...) {
    return std::u16string();
  }
}

void ShowMessageBox(std::u16string_view caption, std::u16string_view text, MessageBoxIcon icon) {
  try {
    const MessageBoxSink& sink = internal::MessageBoxSinkOverride();
    if (sink) {
      sink(caption, text, icon);
    } else {
      internal::ShowSystemMessageBox(caption, text, icon);
    }
  } catch (...) {
    // A box that cannot be shown is not shown; the caller goes on as after OK.
  }
}

void SetHostExecutablePathForTesting(std::u16string path) {
  HostPathSlot() = std::move(path);
}

void SetMessageBoxSinkForTesting(MessageBoxSink sink) {
  SinkSlot() = std::move(sink);
}

}  // namespace zelk::platform
