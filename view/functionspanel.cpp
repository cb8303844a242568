#include "view/functionspanel.h"

#include <QPushButton>

#include "view/angledlabel.h"
#include "view/fonts.h"
#include "view/hint.h"
#include "view/led.h"
#include "view/storedpictures.h"

namespace corvane {

namespace {
struct Key {
    const char* caption;
    const char* hint;
    int left;
};
constexpr Key kKeys[] = {
    {"STORE", "Store|Store the work memory in the selected memory number", 20},
    {"PREVIEW", "Preview|Preview the selected memory number", 130},
    {"CLEAR", "Clear|Clear the working memory", 240},
    {"REVERSE", "Reverse|Operation mode Normal/Reverse", 350},
};
}  // namespace

FunctionsPanel::FunctionsPanel(QWidget* parent) : BevelPanel(parent) {
    setBevelWidth(2);
    setRowColours(StoredBackground("recall-background.png"), true);
    m_title = new AngledLabel(this);
    m_title->setGeometry(0, 0, 450, 29);
    m_title->setLabelFont(HeavyFont(19, QFont::Black));
    m_title->setCentred(true);
    m_title->setShadowed(true);
    m_title->setCaption(QStringLiteral("FUNCTIONS"));

    for (int tag = 0; tag < kKeyCount; ++tag) {
        const Key& k = kKeys[tag];
        auto* button = new QPushButton(QString::fromLatin1(k.caption), this);
        button->setGeometry(k.left, 28, 80, 26);
        button->setFont(HeavyFont(13, QFont::Bold));
        SetHint(button, QString::fromLatin1(k.hint));
        connect(button, &QPushButton::clicked, this, [this, tag] { Q_EMIT keyClicked(tag); });
        m_keys[static_cast<std::size_t>(tag)] = button;
    }
    // REVERSE, the last key, toggles before its click is handled, so it shows the orientation asked for.
    m_keys.back()->setCheckable(true);

    for (int tag = 0; tag < kKeyCount; ++tag) {
        auto* lamp = new Led(this);
        lamp->setGeometry(50 + 110 * tag, 60, 20, 20);
        lamp->setLampName(QString::fromLatin1(kKeys[tag].caption) + QStringLiteral(" lamp"));
        m_lamps[static_cast<std::size_t>(tag)] = lamp;
    }
}

std::optional<int> FunctionsPanel::tagOf(const QAbstractButton* key) const {
    for (int tag = 0; tag < kKeyCount; ++tag)
        if (m_keys[static_cast<std::size_t>(tag)] == key) return tag;
    return std::nullopt;
}

}  // namespace corvane
