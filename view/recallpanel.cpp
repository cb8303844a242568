#include "view/recallpanel.h"

#include <QPushButton>

#include "model/matrixmodel.h"
#include "view/angledlabel.h"
#include "view/fonts.h"
#include "view/led.h"
#include "view/storedpictures.h"

namespace corvane {

namespace {
constexpr int kMemoryKeyLeft[5] = {10, 56, 102, 148, 194};
constexpr QPoint kMemoryLampAt[5] = {{18, 59}, {64, 60}, {110, 60}, {156, 60}, {202, 59}};
constexpr const char* kDigits[5] = {"digit-1.png", "digit-2.png", "digit-3.png", "digit-4.png",
                                    "digit-5.png"};
}  // namespace

RecallPanel::RecallPanel(QWidget* parent) : BevelPanel(parent) {
    setBevelWidth(2);
    setRowColours(StoredBackground("recall-background.png"), true);
    m_title = new AngledLabel(this);
    m_title->setGeometry(-1, 0, 241, 29);
    m_title->setCaption(QStringLiteral("Direct Memory Recall"));
    m_title->setLabelFont(HeavyFont(19, QFont::Black));
    m_title->setCentred(true);
    m_title->setShadowed(true);

    for (int m = 0; m < kMemories; ++m) {
        auto* key = new QPushButton(this);
        key->setObjectName(QStringLiteral("memoryKey%1").arg(m + 1));
        key->setGeometry(kMemoryKeyLeft[m], 28, 36, 26);
        key->setIcon(StoredIcon(kDigits[m]));
        key->setIconSize(QSize(16, 16));
        // The keyboard reaches the keys; a click leaves the focus where it was, on the grid.
        key->setFocusPolicy(Qt::TabFocus);
        key->setToolTip(QStringLiteral("Memory %1").arg(m + 1));
        key->setStatusTip(QStringLiteral("Recall the Memory%1 in the unit").arg(m + 1));
        key->setAccessibleName(QStringLiteral("Memory %1").arg(m + 1));
        key->setAccessibleDescription(QStringLiteral("Recalls memory %1 on every unit").arg(m + 1));
        connect(key, &QPushButton::clicked, this, [this, m] { Q_EMIT keyClicked(m); });
        m_keys[static_cast<std::size_t>(m)] = key;

        auto* lamp = new Led(this);
        lamp->setObjectName(QStringLiteral("memoryLamp%1").arg(m + 1));
        lamp->setGeometry(QRect(kMemoryLampAt[m], QSize(20, 20)));
        lamp->setLampName(QStringLiteral("Memory %1 lamp").arg(m + 1));
        m_lamps[static_cast<std::size_t>(m)] = lamp;
    }
}

void RecallPanel::showOnly(int memory) {
    for (int m = 0; m < kMemories; ++m) lamp(m)->setLit(m == memory);
}

void RecallPanel::setAllLit(bool lit) {
    for (Led* lamp : m_lamps) lamp->setLit(lit);
}

void RecallPanel::setLit(int memory, bool lit) {
    if (IsMemory(memory)) lamp(memory)->setLit(lit);
}

}  // namespace corvane
