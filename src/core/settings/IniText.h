#pragma once

#include "core/settings/IniLine.h"

#include <optional>
#include <string>
#include <string_view>

// INI text read and edited the way the Windows private-profile service does it, as pure functions on the
// file's bytes, so that the store, the tests and the fuzzer drive the same code.

// A section name that a write cannot turn into more than its header: no CR, LF or ']'.
bool IsWritableSectionName(std::string_view name);

// A key name that a write cannot turn into another line: no CR, LF or '=', and not beginning with '['
// (the written line could then read as a section header).
bool IsWritableKeyName(std::string_view name);

// The value of `key` in the first section called `section` (names trimmed, ASCII case ignored), as UTF-8
// with one pair of matching quotes removed and cut at its first NUL byte. Nothing when the section or key
// is missing or the key's line has no '='. (IniDocument answers the same for many reads of one text.)
std::optional<std::string> IniReadValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The text with `key` set to `value`; every other line stays byte for byte. CR and LF in the value are
// written as spaces. The written line keeps the file's encoding: in a file that is not UTF-8 (so
// Windows-1252), names and value go in Windows-1252 where it holds them and an existing key keeps its bytes;
// otherwise, and in a UTF-8 or new file, the line is UTF-8. Names and value from the caller are UTF-8 (bytes
// that are not count as Windows-1252). Both names must be writable.
std::string IniWriteValue(std::string_view text, std::string_view section, std::string_view key,
                          std::string_view value);
