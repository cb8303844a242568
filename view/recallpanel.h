#pragma once

#include <array>

#include "model/matrixstate.h"

#include "view/bevelpanel.h"

class QPushButton;

namespace corvane {

class AngledLabel;
class Led;

// The recall panel: its title, the five memory keys and their lamps.
class RecallPanel : public BevelPanel {
    Q_OBJECT
  public:
    explicit RecallPanel(QWidget* parent = nullptr);

    QPushButton* key(int memory) const { return m_keys.at(static_cast<std::size_t>(memory)); }
    Led* lamp(int memory) const { return m_lamps.at(static_cast<std::size_t>(memory)); }
    // Only the lamp of `memory` lit; none for a memory outside 0..4.
    void showOnly(int memory);
    void setAllLit(bool lit);
    // The lamp of `memory`, if it is one.
    void setLit(int memory, bool lit);

  Q_SIGNALS:
    void keyClicked(int memory);

  private:
    AngledLabel* m_title = nullptr;
    std::array<QPushButton*, kMemories> m_keys{};
    std::array<Led*, kMemories> m_lamps{};
};

}  // namespace corvane
