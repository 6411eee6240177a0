#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The byte encodings a profile file may arrive in: UTF-8 (ours) or Windows-1252 (the Windows program's).

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Windows-1252 bytes as UTF-8. The five bytes that code page leaves unassigned map to the C1 controls of
// the same value, as the Windows conversion does.
std::string Windows1252ToUtf8(std::string_view bytes);

// The first `count` characters of well-formed UTF-8 text, never splitting a character.
std::string_view Utf8Left(std::string_view text, std::size_t count);
