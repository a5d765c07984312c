#pragma once
// Texts from files (names, terms, paths) written to a terminal. A shared
// appointment file can hold control characters that the terminal would act
// on: set its title, clear the screen, or break a name onto a line of its
// own that reads like one of the report's. They are shown as escapes
// instead, "\x1b" for ESC, and so are the C1 controls (U+0080 to U+009F)
// and bytes that are no UTF-8. Everything else is left as it is.
#include <string>
#include <string_view>

namespace tmf::cli {

std::string Visible(std::string_view text);
// The same at the end of out, for a caller that builds long texts.
void AppendVisible(std::string& out, std::string_view text);

// A message written for a message box (lines ended by CR LF) as terminal
// lines ended by LF, everything else in it made visible. name, when given,
// is one text the message may hold that is shown by Visible as a whole:
// its own CR LF does not break the line.
std::string TerminalLines(std::string_view message, std::string_view name = {});

}  // namespace tmf::cli
