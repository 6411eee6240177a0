#pragma once

#include <optional>
#include <string>

// Modal message boxes: prompt, style (0 = OK button only, no icon) and an optional title.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Returns the button pressed (1 = OK).
    virtual int show(const std::string& prompt, int style, const std::optional<std::string>& title) = 0;
};
