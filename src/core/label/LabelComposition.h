#pragma once

#include "core/runtime/ProgramState.h"

#include <cstdint>
#include <string>

class Clock;
class LocaleFormats;

// The text blocks of the label, one function per block so the label window can make them in its own
// order. Line breaks are CR LF.

// "#" and the number in decimal: #7, #-3.
std::string DiskNumberText(std::int16_t number);

// The eight captions beside the values; every line, the last included, ends with a line break.
std::string CaptionColumn();

// The eight values: drive type, volume name, serial text (each made printable, which leaves the three
// fields of `facts` trimmed), a blank line, capacity and used space, a blank line, free space. Numbers are
// "0.00" with the locale's decimal separator and " MB"; no line break after the last line.
std::string ValueColumn(DiskFactsRecord& facts, char decimalSeparator);

// (capacity - free) * 100 / capacity; "Division by zero" for a capacity of 0.
double UsedPercentage(const DiskFactsRecord& facts);

// Medium date of one clock reading, ",  ", medium time of a second reading.
std::string DateTimeLine(const Clock& clock, const LocaleFormats& formats);
