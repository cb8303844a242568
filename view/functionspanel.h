#pragma once

#include <array>
#include <optional>

#include "view/bevelpanel.h"

class QAbstractButton;
class QPushButton;

namespace corvane {

class AngledLabel;
class Led;

// The FUNCTIONS panel: STORE, PREVIEW, CLEAR and REVERSE with a lamp under each. REVERSE stays
// down while it is checked.
class FunctionsPanel : public BevelPanel {
    Q_OBJECT
  public:
    // STORE, PREVIEW, CLEAR and REVERSE, in the order of their tags; OK is not on the panel.
    static constexpr int kKeyCount = 4;

    // Keys by their tag: kStoreTag..kReverseTag.
    explicit FunctionsPanel(QWidget* parent = nullptr);

    QPushButton* key(int tag) const { return m_keys.at(static_cast<std::size_t>(tag)); }
    Led* lamp(int tag) const { return m_lamps.at(static_cast<std::size_t>(tag)); }
    // The tag of one of the keys; nothing for any other button.
    std::optional<int> tagOf(const QAbstractButton* key) const;

  Q_SIGNALS:
    void keyClicked(int tag);

  private:
    AngledLabel* m_title = nullptr;
    std::array<QPushButton*, kKeyCount> m_keys{};
    std::array<Led*, kKeyCount> m_lamps{};
};

}  // namespace corvane
