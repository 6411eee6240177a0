#pragma once

#include <optional>
#include <string>

// Message box styles and the answers they give.
enum MessageStyle : int { MessageOkOnly = 0, MessageYesNo = 4, MessageQuestion = 32 };
enum MessageAnswer : int { AnswerOk = 1, AnswerYes = 6, AnswerNo = 7 };

// Modal message boxes: prompt, style (0 = OK button only, no icon) and an optional title.
class MessageService {
public:
    virtual ~MessageService() = default;
    // Returns the button pressed (a MessageAnswer).
    virtual int show(const std::string& prompt, int style, const std::optional<std::string>& title) = 0;
};
