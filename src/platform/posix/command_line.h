// Windows' rules for splitting a command line into arguments (those of CommandLineToArgvW),
// for the Linux emulation of process creation. Pure code.
#ifndef ZELK_PLATFORM_POSIX_COMMAND_LINE_H_
#define ZELK_PLATFORM_POSIX_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

namespace zelk::platform::posix {

// Splits `command_line` into its arguments. The program name, first, runs to the next
// blank, or between a pair of double quotes, with no escapes. In the other arguments
// blanks (space, tab) separate, double quotes group; 2n backslashes before a double quote
// stand for n backslashes and the quote groups, 2n+1 for n backslashes and a literal
// quote; backslashes elsewhere stand for themselves; "" inside a group is a literal quote.
// A line of blanks alone gives no argument.
std::vector<std::u16string> SplitCommandLine(std::u16string_view command_line);

}  // namespace zelk::platform::posix

#endif  // ZELK_PLATFORM_POSIX_COMMAND_LINE_H_
