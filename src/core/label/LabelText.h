#pragma once

#include <string>

// The two string routines behind the label's texts.

// One character per line: as many characters of `s` as its trimmed form holds, taken from `s` itself
// (leading blanks included), each followed by CR LF. `s` is left as it was.
std::string VerticalText(std::string& s);

// Trims `s` in place (the caller's text is left trimmed) and returns it with every character outside
// the blank..tilde range (32..126) dropped.
std::string PrintableText(std::string& s);
