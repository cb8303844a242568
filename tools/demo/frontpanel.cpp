#include "tools/demo/frontpanel.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionToolButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

#include "virtualunit/devicemodel.h"

namespace corvane {

namespace {
constexpr int kMaxListedRequests = 2000;
constexpr int kKeySize = 16;
constexpr int kKeySpacing = 1;
}  // namespace

// The face of an unlit key, up or held down, as the style draws a tool button. Drawn once and
// shared by all 340 keys: each asking the style for the same bevel took most of the first paint.
class KeyFaces {
  public:
    const QPixmap& face(const QWidget& key, bool down) {
        QPixmap& face = m_faces[down ? 1 : 0];
        const qreal ratio = key.devicePixelRatioF();
        if (!face.isNull() && face.devicePixelRatio() == ratio) return face;
        face = QPixmap(key.size() * ratio);
        face.setDevicePixelRatio(ratio);
        face.fill(Qt::transparent);
        QStyleOptionToolButton option;
        option.initFrom(&key);
        option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        option.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        option.subControls = QStyle::SC_ToolButton;
        QPainter p(&face);
        key.style()->drawComplexControl(QStyle::CC_ToolButton, &option, &p, &key);
        return face;
    }

  private:
    std::array<QPixmap, 2> m_faces;
};

namespace {
// A crosspoint key; a lit one shows green in a black frame, as the unit's own lamps do. A plain
// button painted here: a tool button per key, each polished, measured and drawn by the style,
// took most of the panels' start-up.
class RouteKey : public QAbstractButton {
  public:
    RouteKey(KeyFaces& faces, int column, QWidget* parent)
        : QAbstractButton(parent), m_faces(faces), m_column(column) {
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        resize(kKeySize, kKeySize);
    }
    QSize sizeHint() const override { return {kKeySize, kKeySize}; }

  protected:
    bool event(QEvent* event) override {
        // The tip is made when asked for rather than stored in each of the 340 keys.
        if (event->type() == QEvent::ToolTip) {
            QToolTip::showText(
                static_cast<QHelpEvent*>(event)->globalPos(),
                m_column < 16 ? QStringLiteral("Line %1").arg(m_column + 1) : QStringLiteral("No line"),
                this);
            return true;
        }
        return QAbstractButton::event(event);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (!isChecked()) {
            p.drawPixmap(0, 0, m_faces.face(*this, isDown()));
            return;
        }
        p.fillRect(rect(), QColor(0, 200, 0));
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }

  private:
    KeyFaces& m_faces;
    int m_column;
};

}  // namespace

// A unit's crosspoint keys, right-aligned, with the row names painted to their left: 5 x 16 in
// normal routing, 4 x 17 in reverse routing, where the table has no Disconnected row but a
// no-line column. Placed by hand: a grid layout of 90 items per unit was a good part of the
// panels' start-up.
class RouteKeyGrid : public QWidget {
  public:
    RouteKeyGrid(bool reverse, QWidget* parent) : QWidget(parent), m_reverse(reverse) {
        for (int row = 0; row < 5; ++row)
            m_labelWidth = std::max(m_labelWidth, fontMetrics().horizontalAdvance(rowName(row)));
        m_rowHeight = std::max(kKeySize, fontMetrics().height());
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        return {m_labelWidth + 17 * (kKeySpacing + kKeySize), 5 * m_rowHeight + 4 * kKeySpacing};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }
    void addKey(QAbstractButton* key, int row, int column) {
        m_keys[row * 17 + column] = key;
        key->setVisible(shown(row, column));
        placeKey(row, column);
    }
    void setReverse(bool reverse) {
        if (reverse == m_reverse) return;
        m_reverse = reverse;
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column) {
                m_keys[row * 17 + column]->setVisible(shown(row, column));
                placeKey(row, column);
            }
    }
    bool reverse() const { return m_reverse; }
    // The hidden row or column has no entry in the unit's table.
    bool shown(int row, int column) const { return m_reverse ? row < 4 : column < 16; }

  protected:
    void resizeEvent(QResizeEvent*) override {
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column)
                if (m_keys[row * 17 + column] != nullptr) placeKey(row, column);
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        for (int row = 0; row < 5; ++row)
            p.drawText(QRect(0, rowTop(row), m_labelWidth, m_rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                       rowName(row));
    }

  private:
    static QString rowName(int row) {
        return row < 4 ? QStringLiteral("Ch %1").arg(row + 1) : QStringLiteral("Off");
    }
    int rowTop(int row) const { return row * (m_rowHeight + kKeySpacing); }
    void placeKey(int row, int column) {
        const int columns = m_reverse ? 17 : 16;
        const int left = width() - columns * kKeySize - (columns - 1) * kKeySpacing;
        m_keys[row * 17 + column]->move(left + column * (kKeySize + kKeySpacing),
                                        rowTop(row) + (m_rowHeight - kKeySize) / 2);
    }

    std::array<QAbstractButton*, 85> m_keys{};
    int m_labelWidth = 0;
    int m_rowHeight = kKeySize;
    bool m_reverse;
};

FrontPanel::FrontPanel(std::shared_ptr<DeviceModel> unit, QWidget* parent)
    : QWidget(parent), m_unit(std::move(unit)), m_keyFaces(std::make_unique<KeyFaces>()) {
    setWindowTitle(QStringLiteral("CORVANE front panels"));
    auto* layout = new QHBoxLayout(this);

    auto* units = new QVBoxLayout;
    const int slaves = m_unit->firmware()->slaveCount();
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
    auto* box = new QGroupBox(
        u == 0 ? QStringLiteral("Unit 1 (master)") : QStringLiteral("Unit %1").arg(u + 1), this);
    auto* v = new QVBoxLayout(box);
    auto* grid = new RouteKeyGrid(m_unit->firmware()->state().ReverseMode != 0, box);
    m_keyGrids[u] = grid;
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 17; ++column) {
            auto* key = new RouteKey(*m_keyFaces, column, grid);
            connect(key, &QAbstractButton::clicked, this, [this, u, row, column] {
                m_unit->firmware()->pressRoute(u, row, column);
                refresh();
            });
            grid->addKey(key, row, column);
            m_routeKeys[u][row * 17 + column] = key;
        }
    }
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
    const MatrixState& s = m_unit->firmware()->state();
    const bool reverse = s.ReverseMode != 0;
    for (int u = 0; u <= m_unit->firmware()->slaveCount(); ++u) {
        m_keyGrids[u]->setReverse(reverse);
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column) {
                // The hidden row or column has no entry in the table: never read it.
                const bool lit =
                    m_keyGrids[u]->shown(row, column) &&
                    (reverse ? s.ChannelRoute[u][0][row] == column : s.LineRoute[u][0][column] == row);
                m_routeKeys[u][row * 17 + column]->setChecked(lit);
            }
        for (int m = 0; m < 5; ++m) m_memoryKeys[u][m]->setDown(s.CurrentMemory[u] == m);
        m_storeKeys[u]->setChecked(m_storeArmedUnit == u);
    }
    m_reverse->setChecked(reverse);
    m_unplug->setEnabled(!m_unit->unplugged());
    m_status->setText(QStringLiteral("Slaves: %1%2")
                          .arg(m_unit->firmware()->slaveCount())
                          .arg(m_unit->unplugged() ? QStringLiteral(" (unplugged)") : QString()));
}

}  // namespace corvane
