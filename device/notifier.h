#pragma once

#include <string>

namespace corvane {

enum class MessageIcon { None, Error, Information };

// Where the core's messages to the operator go: modal boxes in the program, a record in tests.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void showMessage(const std::string& title, const std::string& text, MessageIcon icon) = 0;
    // A message that names a file. Texts are Latin-1, but a path keeps the local 8-bit encoding of
    // the file system (it must still open the file), and so does the whole text that holds it.
    virtual void showFileMessage(const std::string& title, const std::string& text, MessageIcon icon) {
        showMessage(title, text, icon);
    }
    // A question with OK and Cancel; true for OK.
    virtual bool confirm(const std::string& title, const std::string& text, MessageIcon icon) = 0;
};

inline constexpr char kMainTitle[] = "CORVANE";

}  // namespace corvane
