#pragma once

#include <string>
#include <string_view>

// Names as the catalogue server keeps them. Its text must be UTF-8, while a name on a Linux disk may be any
// bytes: each byte that is no part of a UTF-8 letter is kept as a letter of its own, from the top of the
// last private-use plane (U+10FF80 to U+10FFFF), as is each byte of a letter of that range itself, so that
// reading back gives the bytes exactly. A piece of text that is UTF-8 is found in the kept text wherever
// its bytes are in the name, and paths kept so sort as their bytes do but where such a byte meets a letter
// beyond ASCII.
std::string ToServerText(std::string_view bytes);
// The same, appended to `into`: for a million names in a row.
void AppendServerText(std::string& into, std::string_view bytes);
std::string FromServerText(std::string_view text);
