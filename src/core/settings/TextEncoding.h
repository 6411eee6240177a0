#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The byte encodings a profile file may arrive in: UTF-8 (ours), Windows-1252 (the Windows program's) or
// UTF-16 with its byte-order mark (what Windows editors save as "Unicode").

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// The bytes as UTF-8, each piece that is not (a stray byte, a character cut short) replaced by U+FFFD.
std::string Utf8WithReplacements(std::string_view bytes);

// Windows-1252 bytes as UTF-8. The five bytes that code page leaves unassigned map to the C1 controls of
// the same value, as the Windows conversion does.
std::string Windows1252ToUtf8(std::string_view bytes);

// UTF-8 text as Windows-1252; nothing when a character has no place in that code page (or the text is not
// UTF-8). The inverse of Windows1252ToUtf8.
std::optional<std::string> Utf8ToWindows1252(std::string_view text);

enum class ByteOrder { LittleEndian, BigEndian };

// UTF-16 code units (no byte-order mark) as UTF-8. A lone surrogate or an odd last byte reads as U+FFFD;
// `exact` (when given) then turns false, as the text could not be written back as it was.
std::string Utf16ToUtf8(std::string_view bytes, ByteOrder order, bool* exact = nullptr);

// Well-formed UTF-8 text as UTF-16 code units, without a byte-order mark.
std::string Utf8ToUtf16(std::string_view text, ByteOrder order);

// The first `count` characters of well-formed UTF-8 text, never splitting a character.
std::string_view Utf8Left(std::string_view text, std::size_t count);
