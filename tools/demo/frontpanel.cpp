#include "tools/demo/frontpanel.h"

#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

#include "model/matrixmodel.h"
#include "virtualunit/devicemodel.h"

namespace corvane {

namespace {
constexpr int kMaxListedRequests = 2000;
constexpr int kKeySize = 16;
constexpr int kKeySpacing = 1;
}  // namespace

// The pictures the panels' keys and boxes are drawn from, made once and shared: each of 340 keys
// and 4 boxes asking the style for the same bevel and frame took most of the first paint.
class PanelPictures {
  public:
    // The face of an unlit key, up or held down, as the style draws a tool button.
    const QPixmap& keyFace(const QWidget& keys, QSize size, bool down) {
        QPixmap& face = m_keyFaces[down ? 1 : 0];
        const qreal ratio = keys.devicePixelRatioF();
        if (!face.isNull() && face.devicePixelRatio() == ratio) return face;
        face = QPixmap(size * ratio);
        face.setDevicePixelRatio(ratio);
        face.fill(Qt::transparent);
        QStyleOptionToolButton option;
        option.initFrom(&keys);
        option.rect = QRect(QPoint(0, 0), size);
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        option.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        option.subControls = QStyle::SC_ToolButton;
        QPainter p(&face);
        keys.style()->drawComplexControl(QStyle::CC_ToolButton, &option, &p, &keys);
        return face;
    }
    // The style's group-box frame picture as it shows on the box's background, so that every
    // pixel of it paints opaquely; null where the style has none.
    const QImage& boxFrame(const QWidget& box) {
        if (!m_boxFrame.isNull()) return m_boxFrame;
        // Read as the PNG it is: a reader left to guess the format asks every image plug-in first.
        QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"),
                            "PNG");
        reader.setAutoDetectImageFormat(false);
        const QImage source = reader.read();
        if (source.isNull()) return m_boxFrame;
        m_boxFrame = QImage(source.size(), QImage::Format_RGB32);
        m_boxFrame.fill(box.palette().color(box.backgroundRole()));
        QPainter p(&m_boxFrame);
        p.drawImage(0, 0, source);
        return m_boxFrame;
    }

  private:
    std::array<QPixmap, 2> m_keyFaces;
    QImage m_boxFrame;
};

// A unit's crosspoint keys, right-aligned, with the row names to their left: 5 x 16 in normal
// routing, 4 x 17 in reverse routing, where the table has no Disconnected row but a no-line
// column. A lit key shows green in a black frame, as the unit's own lamps do. One widget paints
// and clicks them all: 340 key widgets, each created, polished, shown, painted and destroyed,
// and their grid layouts were most of the panels' start-up.
class RouteKeyGrid : public QWidget {
  public:
    // The row names take the same width in every unit: measured once, for all of them.
    RouteKeyGrid(PanelPictures& pictures, int labelWidth, bool reverse, std::function<void(int, int)> pressed,
                 QWidget* parent)
        : QWidget(parent),
          m_pictures(pictures),
          m_pressed(std::move(pressed)),
          m_labelWidth(labelWidth),
          m_rowHeight(std::max(kKeySize, fontMetrics().height())),
          m_reverse(reverse) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    static int labelWidth(const QFontMetrics& metrics) {
        int width = 0;
        for (int row = 0; row < 5; ++row) width = std::max(width, metrics.horizontalAdvance(rowName(row)));
        return width;
    }
    QSize sizeHint() const override {
        return {m_labelWidth + 17 * (kKeySpacing + kKeySize), 5 * m_rowHeight + 4 * kKeySpacing};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

    void setReverse(bool reverse) {
        if (reverse == m_reverse) return;
        m_reverse = reverse;
        m_held = -1;
        update();
    }
    // The hidden row or column has no entry in the unit's table.
    bool shown(int row, int column) const { return m_reverse ? row < 4 : column < 16; }
    bool isLit(int row, int column) const { return m_lit[row * 17 + column]; }
    void setLit(int row, int column, bool lit) {
        if (m_lit[row * 17 + column] == lit) return;
        m_lit[row * 17 + column] = lit;
        update(keyRect(row, column));
    }
    QRect keyRect(int row, int column) const {
        const int columns = m_reverse ? 17 : 16;
        const int left = width() - columns * kKeySize - (columns - 1) * kKeySpacing;
        return {left + column * (kKeySize + kKeySpacing), rowTop(row) + (m_rowHeight - kKeySize) / 2,
                kKeySize, kKeySize};
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            const int key = keyAt(help->pos());
            if (key < 0) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(
                    help->globalPos(),
                    key % 17 < 16 ? QStringLiteral("Line %1").arg(key % 17 + 1) : QStringLiteral("No line"),
                    this, keyRect(key / 17, key % 17));
            }
            return true;
        }
        return QWidget::event(event);
    }
    // A key acts as a button does: pressed, it shows held down while the pointer stays on it, and
    // it acts when released there.
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            event->ignore();
            return;
        }
        m_held = keyAt(event->position().toPoint());
        setHeldDown(m_held >= 0);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_held >= 0) setHeldDown(keyAt(event->position().toPoint()) == m_held);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || m_held < 0) {
            event->ignore();
            return;
        }
        const int key = m_held;
        const bool inside = keyAt(event->position().toPoint()) == key;
        setHeldDown(false);
        m_held = -1;
        if (inside) m_pressed(key / 17, key % 17);
    }
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        for (int row = 0; row < 5; ++row) {
            const QRect label(0, rowTop(row), m_labelWidth, m_rowHeight);
            if (event->rect().intersects(label))
                p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, rowName(row));
        }
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column) {
                const QRect key = keyRect(row, column);
                if (!shown(row, column) || !event->rect().intersects(key)) continue;
                if (!isLit(row, column)) {
                    const bool down = m_heldDown && m_held == row * 17 + column;
                    p.drawPixmap(key.topLeft(), m_pictures.keyFace(*this, key.size(), down));
                    continue;
                }
                p.fillRect(key, Qt::black);
                p.fillRect(key.adjusted(1, 1, -1, -1), QColor(0, 200, 0));
            }
    }

  private:
    static QString rowName(int row) {
        return row < 4 ? QStringLiteral("Ch %1").arg(row + 1) : QStringLiteral("Off");
    }
    int rowTop(int row) const { return row * (m_rowHeight + kKeySpacing); }
    int keyAt(QPoint point) const {
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column)
                if (shown(row, column) && keyRect(row, column).contains(point)) return row * 17 + column;
        return -1;
    }
    void setHeldDown(bool down) {
        if (down == m_heldDown) return;
        m_heldDown = down;
        if (m_held >= 0) update(keyRect(m_held / 17, m_held % 17));
    }

    PanelPictures& m_pictures;
    std::function<void(int, int)> m_pressed;
    std::array<bool, 85> m_lit{};
    int m_labelWidth;
    int m_rowHeight;
    int m_held = -1;  // the key the left button went down on
    bool m_heldDown = false;
    bool m_reverse;
};

// A unit's box: its title over a frame as the style draws a group box, from the style's own frame
// picture. The style stretches that picture over the whole box with translucent fills, which took
// worker threads and much of the panels' first paint; its edges and middle are plain lines of one
// colour each, so they are laid down here as opaque fills.
class UnitBox : public QWidget {
  public:
    UnitBox(const QString& title, PanelPictures& pictures, QWidget* parent)
        : QWidget(parent), m_title(title), m_pictures(pictures) {
        QStyleOptionGroupBox option = styleOption(QRect(0, 0, 400, 400));
        const QRect contents =
            style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxContents, this);
        setContentsMargins(contents.left(), contents.top(), option.rect.right() - contents.right(),
                           option.rect.bottom() - contents.bottom());
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QStyleOptionGroupBox option = styleOption(rect());
        QPainter p(this);
        QRect frame = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this);
        frame.setTop(
            frame.top() +
            std::max(style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight), option.fontMetrics.height()) +
            kFrameTopMargin);
        drawFrame(p, frame);
        const QRect label =
            style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
        style()->drawItemText(&p, label, Qt::AlignLeft | Qt::TextShowMnemonic, palette(), isEnabled(),
                              m_title, QPalette::WindowText);
    }

  private:
    static constexpr int kFrameTopMargin = 3;  // the style's gap between the title line and the frame
    static constexpr int kBorder = 6;          // the corners of the frame picture

    QStyleOptionGroupBox styleOption(const QRect& rect) const {
        QStyleOptionGroupBox option;
        option.initFrom(this);
        option.rect = rect;
        option.text = m_title;
        option.lineWidth = 1;
        option.midLineWidth = 0;
        option.textAlignment = Qt::AlignLeft;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        return option;
    }
    void drawFrame(QPainter& p, const QRect& frame) {
        const QImage& picture = m_pictures.boxFrame(*this);
        const int w = picture.width(), h = picture.height();
        if (w <= 2 * kBorder || h <= 2 * kBorder) return;
        const int inner = frame.width() - 2 * kBorder, innerHeight = frame.height() - 2 * kBorder;
        const int l = frame.left(), t = frame.top();
        const int r = frame.right() - kBorder + 1, b = frame.bottom() - kBorder + 1;
        p.drawImage(l, t, picture, 0, 0, kBorder, kBorder);
        p.drawImage(r, t, picture, w - kBorder, 0, kBorder, kBorder);
        p.drawImage(l, b, picture, 0, h - kBorder, kBorder, kBorder);
        p.drawImage(r, b, picture, w - kBorder, h - kBorder, kBorder, kBorder);
        for (int i = 0; i < kBorder; ++i) {
            p.fillRect(l + kBorder, t + i, inner, 1, picture.pixelColor(kBorder, i));
            p.fillRect(l + kBorder, b + i, inner, 1, picture.pixelColor(kBorder, h - kBorder + i));
            p.fillRect(l + i, t + kBorder, 1, innerHeight, picture.pixelColor(i, kBorder));
            p.fillRect(r + i, t + kBorder, 1, innerHeight, picture.pixelColor(w - kBorder + i, kBorder));
        }
        p.fillRect(l + kBorder, t + kBorder, inner, innerHeight, picture.pixelColor(kBorder, kBorder));
    }

    QString m_title;
    PanelPictures& m_pictures;
};

FrontPanel::FrontPanel(std::shared_ptr<DeviceModel> unit, QWidget* parent)
    : QWidget(parent), m_unit(std::move(unit)), m_pictures(std::make_unique<PanelPictures>()) {
    setWindowTitle(QStringLiteral("CORVANE front panels"));
    auto* layout = new QHBoxLayout(this);

    auto* units = new QVBoxLayout;
    const int slaves = m_unit->firmware()->slaveCount();
    m_rowNameWidth = RouteKeyGrid::labelWidth(fontMetrics());
    for (int u = 0; u <= slaves; ++u) units->addWidget(buildUnit(u));
    units->addStretch();
    layout->addLayout(units);

    auto* side = new QVBoxLayout;
    m_status = new QLabel(this);
    side->addWidget(m_status);
    m_reverse = new QPushButton(QStringLiteral("REVERSE"), this);
    m_reverse->setCheckable(true);
    connect(m_reverse, &QPushButton::clicked, this, [this](bool on) {
        m_unit->firmware()->pressReverse(on);
        refresh();
    });
    side->addWidget(m_reverse);
    m_unplug = new QPushButton(QStringLiteral("Unplug"), this);
    connect(m_unplug, &QPushButton::clicked, this, [this] {
        m_unit->unplug();
        refresh();
    });
    side->addWidget(m_unplug);
    side->addWidget(new QLabel(QStringLiteral("Requests the unit received:"), this));
    m_requests = new QListWidget(this);
    m_requests->setMinimumWidth(260);
    m_requests->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    side->addWidget(m_requests, 1);
    layout->addLayout(side);

    // The unit outlives the panels: once they are gone, its requests have nowhere to go.
    m_unit->addObserver([panel = QPointer<FrontPanel>(this)](const UsbRequest& request) {
        if (panel) panel->requestAnswered(request);
    });
    refresh();
}

FrontPanel::~FrontPanel() = default;

QWidget* FrontPanel::routeKeys(int unit) const {
    return m_keyGrids[unit];
}

QPoint FrontPanel::routeKeyCentre(int unit, int row, int column) const {
    return m_keyGrids[unit]->keyRect(row, column).center();
}

bool FrontPanel::routeKeyLit(int unit, int row, int column) const {
    return m_keyGrids[unit]->isLit(row, column);
}

void FrontPanel::requestAnswered(const UsbRequest& request) {
    // A poll that found nothing changed nothing and is not listed. After any other request the
    // keys follow the unit, once for all the requests of the host's tick.
    if (!IsTraced(request)) return;
    m_requests->addItem(QString::fromLatin1(TraceLine(request)));
    if (m_requests->count() > kMaxListedRequests) delete m_requests->takeItem(0);
    m_requests->scrollToBottom();
    if (m_refreshQueued) return;
    m_refreshQueued = true;
    QMetaObject::invokeMethod(this, &FrontPanel::refresh, Qt::QueuedConnection);
}

void FrontPanel::showBeside(QWidget& mainWindow) {
    setAttribute(Qt::WA_QuitOnClose, false);
    QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(&mainWindow)] {
        if (window) move(window->frameGeometry().topRight() + QPoint(8, 0));
        show();
    });
}

QWidget* FrontPanel::buildUnit(int u) {
    auto* box = new UnitBox(u == 0 ? QStringLiteral("Unit 1 (master)") : QStringLiteral("Unit %1").arg(u + 1),
                            *m_pictures, this);
    auto* v = new QVBoxLayout(box);
    auto* grid = new RouteKeyGrid(
        *m_pictures, m_rowNameWidth, MatrixModel(m_unit->firmware()->state()).isReverse(),
        [this, u](int row, int column) {
            m_unit->firmware()->pressRoute(u, row, column);
            refresh();
        },
        box);
    m_keyGrids[u] = grid;
    v->addWidget(grid);

    auto* keys = new QHBoxLayout;
    for (int m = 0; m < 5; ++m) {
        auto* key = new QPushButton(QString::number(m + 1), box);
        key->setFixedWidth(28);
        connect(key, &QPushButton::clicked, this, [this, u, m] { memoryPressed(u, m); });
        keys->addWidget(key);
        m_memoryKeys[u][m] = key;
    }
    m_storeKeys[u] = new QPushButton(QStringLiteral("STORE"), box);
    m_storeKeys[u]->setCheckable(true);
    connect(m_storeKeys[u], &QPushButton::clicked, this, [this, u](bool on) {
        m_storeArmedUnit = on ? u : -1;
        refresh();
    });
    keys->addWidget(m_storeKeys[u]);
    auto* clear = new QPushButton(QStringLiteral("CLEAR"), box);
    connect(clear, &QPushButton::clicked, this, [this, u] {
        m_unit->firmware()->pressClear(u);
        refresh();
    });
    keys->addWidget(clear);
    v->addLayout(keys);
    return box;
}

void FrontPanel::memoryPressed(int unit, int memory) {
    if (m_storeArmedUnit == unit) {
        m_unit->firmware()->pressStore(unit, memory);
        m_storeArmedUnit = -1;
    } else {
        m_unit->firmware()->pressRecall(memory);
    }
    refresh();
}

void FrontPanel::refresh() {
    m_refreshQueued = false;
    const MatrixModel model(m_unit->firmware()->state());
    const bool reverse = model.isReverse();
    for (int u = 0; u <= m_unit->firmware()->slaveCount(); ++u) {
        m_keyGrids[u]->setReverse(reverse);
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column) {
                // The hidden row or column has no entry in the table: never read it.
                const bool lit =
                    m_keyGrids[u]->shown(row, column) && model.isLit(u, kWorkMemory, row, column);
                m_keyGrids[u]->setLit(row, column, lit);
            }
        for (int m = 0; m < 5; ++m) m_memoryKeys[u][m]->setDown(model.currentMemory(u) == m);
        m_storeKeys[u]->setChecked(m_storeArmedUnit == u);
    }
    m_reverse->setChecked(reverse);
    m_unplug->setEnabled(!m_unit->unplugged());
    m_status->setText(QStringLiteral("Slaves: %1%2")
                          .arg(m_unit->firmware()->slaveCount())
                          .arg(m_unit->unplugged() ? QStringLiteral(" (unplugged)") : QString()));
}

}  // namespace corvane
