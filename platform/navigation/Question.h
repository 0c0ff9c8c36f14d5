// Question.h — a question with push buttons: the save-changes question and
// the file dialogs' "replace it?". A movable window titled with the
// application's name, the question and under it the explanation, and the
// buttons in a row at the bottom right (the first one given alone at the
// left when `first_at_left` is set).
#pragma once

#include <string>
#include <vector>

#include "platform/navigation/NavWindow.h"

namespace platform::navigation {

struct Question {
    std::string title;
    std::string question;
    std::string explanation;
    std::vector<std::string> buttons;   // left to right
    bool first_at_left = false;
    size_t default_button = 0;          // indexes into buttons
    size_t cancel_button = 0;
    UInt8 command_key = 0;              // Command + this key hits...
    size_t command_button = 0;          // ...this button
};

// Asks and waits for a button: its index into question.buttons; memFullErr
// when the window cannot be made.
Result<size_t> ask(const Question& question, Callback callback);

}  // namespace platform::navigation
