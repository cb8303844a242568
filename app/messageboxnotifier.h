#pragma once

#include "device/notifier.h"

class QWidget;

namespace corvane {

// Shows the core's messages as modal message boxes.
class MessageBoxNotifier final : public Notifier {
  public:
    void showMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
    void showFileMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
    bool confirm(const std::string& title, const std::string& text, MessageIcon icon) override;
};

}  // namespace corvane
