#pragma once

#include "device/notifier.h"

class QString;

namespace corvane {

// Shows the core's messages as modal message boxes.
class MessageBoxNotifier final : public Notifier {
  public:
    // From now on messages go to standard error and questions are answered with Cancel: the
    // session is ending, and no one may be there to answer a box that would hold up the end.
    void setUnattended(bool unattended) { m_unattended = unattended; }
    bool unattended() const { return m_unattended; }

    void showMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
    void showFileMessage(const std::string& title, const std::string& text, MessageIcon icon) override;
    bool confirm(const std::string& title, const std::string& text, MessageIcon icon) override;

  private:
    int run(const std::string& title, const QString& text, MessageIcon icon, int buttons);

    bool m_unattended = false;
};

}  // namespace corvane
