#pragma once

#include <string>
#include <string_view>

// A name from the catalogue as the terminal commands print it: one field of one line, whatever bytes the
// name holds. A backslash is written "\\", a tab "\t", a newline "\n", a carriage return "\r", and every
// other control character (bytes below 0x20, 0x7F, and U+0080 to U+009F as their two UTF-8 bytes) or byte
// that is not part of well-formed UTF-8 as "\xHH", two lowercase hex digits. Other UTF-8 text stays as it
// is. These are the only escapes, so the name's bytes can always be had back.
std::string TerminalText(std::string_view bytes);
// The same, added to the end of `line`: for many names, with no string made for each.
void AppendTerminalText(std::string& line, std::string_view bytes);
