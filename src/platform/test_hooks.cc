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

void SetHostExecutablePathForTesting(std::u16string path) {
  HostPathSlot() = std::move(path);
}

void SetMessageBoxSinkForTesting(MessageBoxSink sink) {
  SinkSlot() = std::move(sink);
}

}  // namespace zelk::platform
