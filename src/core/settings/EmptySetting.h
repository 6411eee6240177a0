#pragma once

#include <string_view>

// A stored text counts as not set when it sorts at or below a single space, code unit by code unit: the
// empty text, one space, or a text that starts with a control character.
inline bool SortsAtOrBelowSpace(std::string_view text) {
    return text <= std::string_view(" ");
}
