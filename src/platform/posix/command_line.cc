#include "platform/posix/command_line.h"

namespace zelk::platform::posix {
namespace {

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

// The program name: quoted up to the next quote, else up to the next blank.
size_t ReadProgramName(std::u16string_view line, size_t at, std::u16string* name) {
  if (line[at] == u'"') {
    const size_t end = line.find(u'"', at + 1);
    const size_t stop = end == std::u16string_view::npos ? line.size() : end;
    *name = std::u16string(line.substr(at + 1, stop - at - 1));
    return stop == line.size() ? stop : stop + 1;
  }
  size_t end = at;
  while (end < line.size() && !IsBlank(line[end])) {
    ++end;
  }
  *name = std::u16string(line.substr(at, end - at));
  return end;
}

// One run of backslashes at `at`: what it stands for, and whether it quotes what follows.
size_t ReadBackslashes(std::u16string_view line, size_t at, std::u16string* argument) {
  size_t count = 0;
  while (at + count < line.size() && line[at + count] == u'\\') {
    ++count;
  }
  const bool before_quote = at + count < line.size() && line[at + count] == u'"';
  if (!before_quote) {
    argument->append(count, u'\\');
    return at + count;
  }
  argument->append(count / 2, u'\\');
  if (count % 2 == 1) {
    argument->push_back(u'"');
    return at + count + 1;  // the escaped quote is taken
  }
  return at + count;  // the quote groups, read by the caller
}

// One argument after the program name, starting at a non-blank.
size_t ReadArgument(std::u16string_view line, size_t at, std::u16string* argument) {
  bool quoted = false;
  while (at < line.size() && (quoted || !IsBlank(line[at]))) {
    const char16_t c = line[at];
    if (c == u'\\') {
      at = ReadBackslashes(line, at, argument);
    } else if (c == u'"') {
      if (quoted && at + 1 < line.size() && line[at + 1] == u'"') {
        argument->push_back(u'"');
        at += 2;
      } else {
        quoted = !quoted;
        ++at;
      }
    } else {
      argument->push_back(c);
      ++at;
    }
  }
  return at;
}

size_t SkipBlanks(std::u16string_view line, size_t at) {
  while (at < line.size() && IsBlank(line[at])) {
    ++at;
  }
  return at;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line) {
  std::vector<std::u16string> arguments;
  size_t at = SkipBlanks(command_line, 0);
  if (at == command_line.size()) {
    return arguments;
  }
  std::u16string program;
  at = ReadProgramName(command_line, at, &program);
  arguments.push_back(std::move(program));
  for (at = SkipBlanks(command_line, at); at < command_line.size();
       at = SkipBlanks(command_line, at)) {
    std::u16string argument;
    at = ReadArgument(command_line, at, &argument);
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace zelk::platform::posix
