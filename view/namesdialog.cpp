#include "view/namesdialog.h"

#include "view/fonts.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>

#include "model/matrixmodel.h"
#include "model/nametable.h"
#include "view/angledlabel.h"
#include "view/fonts.h"

namespace corvane {

namespace {

constexpr int kFieldWidth = 100;
constexpr int kFieldHeight = 21;
constexpr int kLabelHeight = 26;
constexpr int kLabelPixels = 16;

constexpr int kLineFieldTops[2][8] = {{13, 40, 65, 90, 113, 140, 165, 190},
                                      {13, 40, 65, 90, 115, 140, 165, 190}};
constexpr int kLineLabelTops[8] = {15, 40, 65, 90, 115, 140, 165, 190};
constexpr int kLineFieldLeft[2] = {115, 340};
constexpr int kLineLabelLeft[2] = {4, 230};
constexpr int kLineLabelWidth = 110;
constexpr int kChannelFieldTops[4] = {237, 264, 289, 314};
constexpr int kChannelLabelTops[4] = {239, 264, 289, 314};
constexpr int kChannelFieldLeft = 230;
constexpr int kChannelLabelLeft = 84;
constexpr int kChannelLabelWidth = 140;

// Names are single bytes; a character typed that has none becomes '?', one per character.
std::string nameBytes(const QString& text) {
    std::string bytes;
    for (const char32_t c : text.toUcs4()) bytes += c <= 0xFF ? static_cast<char>(c) : '?';
    return bytes;
}

// Gives a name field in overwrite mode a block caret as wide as the character it stands on.
class BlockCaretStyle : public QProxyStyle {
  public:
    // Draws as the application's style does, through an instance of its own.
    BlockCaretStyle(const QLineEdit& field, const bool& overwrite)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())),
          m_field(field),
          m_overwrite(overwrite) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric != PM_TextCursorWidth || !m_overwrite)
            return QProxyStyle::pixelMetric(metric, option, widget);
        const QString text = m_field.text();
        const int at = m_field.cursorPosition();
        const QFontMetrics metrics = m_field.fontMetrics();
        return at < text.size() ? metrics.horizontalAdvance(text.at(at)) : metrics.averageCharWidth();
    }

  private:
    const QLineEdit& m_field;
    const bool& m_overwrite;
};

// A name field: the caret goes to the end when the field is entered from the keyboard, and
// Insert, with any modifier and from the keypad too, switches between inserting and overwriting.
class NameEdit : public QLineEdit {
  public:
    explicit NameEdit(QWidget* parent) : QLineEdit(parent), m_caretStyle(*this, m_overwrite) {
        setStyle(&m_caretStyle);
    }

  protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        if (event->reason() != Qt::MouseFocusReason) end(false);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Insert && !(event->modifiers() & ~Qt::KeypadModifier)) {
            m_overwrite = !m_overwrite;
            update();
            event->accept();
            return;
        }
        const QString typed = event->text();
        const bool printable = !typed.isEmpty() && typed.at(0).isPrint();
        if (m_overwrite && printable && !hasSelectedText() && cursorPosition() < text().size())
            setSelection(cursorPosition(), 1);  // the typed character replaces the one under the caret
        QLineEdit::keyPressEvent(event);
    }

  private:
    bool m_overwrite = false;
    BlockCaretStyle m_caretStyle;
};

QFont dialogFont() {
    return FamiliesFont({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 11);
}

// Bold 16 pixels, smaller only where a fallback family is too wide for the label.
QFont labelFont(const QString& caption, int width) {
    QFont font =
        FamiliesFont({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")},
                     kLabelPixels);
    font.setBold(true);
    for (int pixels = kLabelPixels; pixels > 9; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(caption) + 2 <= width) break;
    }
    return font;
}

void addLabel(QWidget* parent, const QString& caption, const QRect& rect) {
    auto* label = new AngledLabel(parent);
    label->setGeometry(rect);
    label->setLabelFont(labelFont(caption, rect.width()));
    label->setColor(parent->palette().color(QPalette::WindowText));
    label->setCaption(caption);
}

QLineEdit* addField(QWidget* parent, const std::string& name, QPoint at) {
    auto* field = new NameEdit(parent);
    field->setGeometry(QRect(at, QSize(kFieldWidth, kFieldHeight)));
    field->setMaxLength(kNameMaxLength);
    field->setText(QString::fromLatin1(name));
    return field;
}

void addSeparator(QWidget* parent, int top) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(8, top, 432, 2);
}

QString twoDigits(int number) {
    return QString::number(number).rightJustified(2, QLatin1Char('0'));
}

}  // namespace

NamesDialog::NamesDialog(const NameTable& names, const MatrixModel& model, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setWindowTitle(QStringLiteral("Edit Line Names"));
    setFixedSize(452, 404);
    setFont(dialogFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    const int unit = model.selectedUnit();
    for (int k = 0; k < kLines; ++k) {
        const int column = k / 8;
        const int row = k % 8;
        addLabel(this, QStringLiteral("Line %1 Name:").arg(twoDigits(k + 1)),
                 QRect(kLineLabelLeft[column], kLineLabelTops[row], kLineLabelWidth, kLabelHeight));
        m_lineEdits[k] = addField(this, names.lineName(unit, k),
                                  QPoint(kLineFieldLeft[column], kLineFieldTops[column][row]));
        m_lineEdits[k]->setObjectName(QStringLiteral("lineName%1").arg(k + 1));
    }
    addSeparator(this, 224);
    for (int k = 0; k < kChannels; ++k) {
        addLabel(this, QStringLiteral("Channel %1 Name:").arg(twoDigits(k + 1)),
                 QRect(kChannelLabelLeft, kChannelLabelTops[k], kChannelLabelWidth, kLabelHeight));
        m_channelEdits[k] =
            addField(this, names.channelName(unit, k), QPoint(kChannelFieldLeft, kChannelFieldTops[k]));
        m_channelEdits[k]->setObjectName(QStringLiteral("channelName%1").arg(k + 1));
    }
    addSeparator(this, 346);

    m_okButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("m_okButton"));
    m_okButton->setGeometry(115, 364, 75, 25);
    m_okButton->setDefault(true);
    m_cancelButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("m_cancelButton"));
    m_cancelButton->setGeometry(247, 364, 75, 25);
    // Enter presses the button that has the focus, and OK from anywhere else.
    m_okButton->setAutoDefault(true);
    m_cancelButton->setAutoDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
    // Escape rejects the dialog as well.
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    QWidget* previous = m_lineEdits[0];
    const auto chain = [&previous](QWidget* next) {
        setTabOrder(previous, next);
        previous = next;
    };
    for (QLineEdit* field : m_channelEdits) chain(field);
    for (int k = kLines - 1; k >= 1; --k) chain(m_lineEdits[k]);
    chain(m_okButton);
    chain(m_cancelButton);
    m_lineEdits[0]->setFocus();
}

UnitNames NamesDialog::enteredNames() const {
    UnitNames names;
    for (int k = 0; k < kLines; ++k) names.lines[k] = nameBytes(m_lineEdits[k]->text());
    for (int k = 0; k < kChannels; ++k) names.channels[k] = nameBytes(m_channelEdits[k]->text());
    return names;
}

}  // namespace corvane
