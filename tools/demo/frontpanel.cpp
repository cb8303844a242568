#include "tools/demo/frontpanel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "virtualunit/devicemodel.h"

namespace corvane {

namespace {
constexpr int kMaxListedRequests = 2000;

// A crosspoint key; a lit one shows green in a black frame, as the unit's own lamps do. Painted
// here rather than by a style sheet: a sheet on the window restyles and repolishes all of its
// 340 keys and every other widget, which took most of the panels' start-up.
class RouteKey : public QToolButton {
  public:
    using QToolButton::QToolButton;

  protected:
    void paintEvent(QPaintEvent* event) override {
        if (!isChecked()) {
            QToolButton::paintEvent(event);
            return;
        }
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 200, 0));
        p.setPen(Qt::black);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};
}  // namespace

FrontPanel::FrontPanel(std::shared_ptr<DeviceModel> unit, QWidget* parent)
    : QWidget(parent), m_unit(std::move(unit)) {
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
    m_unit->addObserver([list = QPointer<QListWidget>(m_requests)](const UsbRequest& request) {
        if (!list || !IsTraced(request)) return;
        list->addItem(QString::fromLatin1(TraceLine(request)));
        if (list->count() > kMaxListedRequests) delete list->takeItem(0);
        list->scrollToBottom();
    });

    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &FrontPanel::refresh);
    timer->start(50);
    refresh();
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
    auto* grid = new QGridLayout;
    grid->setSpacing(1);
    for (int row = 0; row < 5; ++row) {
        grid->addWidget(
            new QLabel(row < 4 ? QStringLiteral("Ch %1").arg(row + 1) : QStringLiteral("Off"), box), row, 0);
        for (int column = 0; column < 17; ++column) {
            auto* key = new RouteKey(box);
            key->setFixedSize(16, 16);
            key->setCheckable(true);
            key->setToolTip(column < 16 ? QStringLiteral("Line %1").arg(column + 1)
                                        : QStringLiteral("No line"));
            connect(key, &QToolButton::clicked, this, [this, u, row, column] {
                m_unit->firmware()->pressRoute(u, row, column);
                refresh();
            });
            grid->addWidget(key, row, column + 1);
            m_routeKeys[u][row * 17 + column] = key;
        }
    }
    v->addLayout(grid);

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
    const MatrixState& s = m_unit->firmware()->state();
    const bool reverse = s.ReverseMode != 0;
    for (int u = 0; u <= m_unit->firmware()->slaveCount(); ++u) {
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 17; ++column) {
                QToolButton* key = m_routeKeys[u][row * 17 + column];
                const bool visible = reverse ? row < 4 : column < 16;
                // The hidden row or column has no entry in the table: never read it.
                const bool lit = visible && (reverse ? s.ChannelRoute[u][0][row] == column
                                                     : s.LineRoute[u][0][column] == row);
                key->setVisible(visible);
                key->setChecked(lit);
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
