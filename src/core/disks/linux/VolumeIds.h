#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Decodes the \xHH escapes with which udev writes labels and UUIDs (ID_FS_LABEL_ENC, /dev/disk/by-label).
std::string DecodeHexEscapes(std::string_view text);

// The 32-bit volume serial a filesystem UUID stands for: a FAT/exFAT "XXXX-XXXX" read as one number, the
// low 32 bits of a 16-digit NTFS serial, else the first eight hexadecimal digits; 0 when none.
std::uint32_t SerialFromUuid(std::string_view uuid);
