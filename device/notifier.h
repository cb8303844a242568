#pragma once

#include <string>

namespace corvane {

enum class MessageIcon { None, Error, Information };

// Where the core's messages to the operator go: modal boxes in the program, a record in tests.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void showMessage(const std::string& title, const std::string& text, MessageIcon icon) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const std::string& title, const std::string& text, MessageIcon icon) = 0;
};

inline constexpr char kMainTitle[] = "CORVANE";

}  // namespace corvane
