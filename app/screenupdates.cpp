#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app/screenupdates.h"

#include "app/mainwindow.h"
#include "model/gridcontent.h"
#include "model/layouts.h"
#include "storage/diskfile.h"
#include "view/angledlabel.h"
#include "view/crosspointgrid.h"
#include "view/functionspanel.h"
#include "view/led.h"
#include "view/recallpanel.h"
#include "view/storedpictures.h"
#include "view/unitmap.h"
#include "view/unitpanel.h"

namespace corvane {

namespace {

// The pictures of a unit not selected and selected, for the panels' device pixel ratio.
const QImage& UnitPicture(bool selected, qreal ratio) {
    static QImage pictures[2];
    if (pictures[0].isNull() || pictures[0].devicePixelRatio() != ratio) {
        pictures[0] = StoredImage("unit-normal.png", ratio).convertToFormat(QImage::Format_RGB32);
        pictures[1] = StoredImage("unit-selected.png", ratio).convertToFormat(QImage::Format_RGB32);
    }
    return pictures[selected ? 1 : 0];
}

}  // namespace

ScreenUpdates::ScreenUpdates(MainWindow& window)
    : QObject(&window), m_window(window), m_controller(window.controller()) {
    MatrixController* c = &m_controller;
    connect(c, &MatrixController::crosspointChanged, this, &ScreenUpdates::showCrosspoint);
    connect(c, &MatrixController::gridChanged, this, &ScreenUpdates::showGrid);
    connect(c, &MatrixController::gridRebuilding, this, [this](bool rebuilding) {
        // No half-built grid is painted, not even while the request is pending.
        if (rebuilding) {
            m_gridWasHidden = m_window.gridPanel()->isHidden();
            m_window.gridPanel()->hide();
        } else if (!m_gridWasHidden) {
            m_window.gridPanel()->show();
        }
    });
    connect(c, &MatrixController::orientationChanged, this, [this](bool reverse) {
        m_window.functionsPanel()->key(kReverseTag)->setChecked(reverse);
        m_window.functionsPanel()->lamp(kReverseTag)->setLit(reverse);
        m_window.grid().arrange(reverse);
    });
    connect(c, &MatrixController::arrangementChanged, this, &ScreenUpdates::showArrangement);
    connect(c, &MatrixController::unitMapChanged, this, &ScreenUpdates::showUnitMap);
    connect(c, &MatrixController::indicatorsChanged, this, &ScreenUpdates::showIndicators);
    connect(c, &MatrixController::memoryLampsChanged, this, &ScreenUpdates::showMemoryLamps);
    connect(c, &MatrixController::unsavedLampBlinked, m_window.recallPanel(), &RecallPanel::setLit);
    connect(c, &MatrixController::functionPattern, this, &ScreenUpdates::showPattern);
    connect(c, &MatrixController::promptsChanged, this, [this](const QString& title, const QString& text) {
        m_window.promptTitle()->setCaption(title);
        m_window.promptText()->setCaption(text);
        // The grid is built after the prompts; they must still be drawn over its corner.
        m_window.promptTitle()->raise();
        m_window.promptText()->raise();
    });
    connect(c, &MatrixController::confirmationOffered, this, [this] {
        m_window.okKey()->show();
        m_window.okLamp()->show();
    });
    connect(c, &MatrixController::captionChanged, &m_window, &QWidget::setWindowTitle);
    connect(c, &MatrixController::recentFilesChanged, this, &ScreenUpdates::showRecentFiles);
    // Losing the unit ends the program through the normal shutdown, without a message.
    connect(c, &MatrixController::unitLost, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void ScreenUpdates::showCrosspoint(int row, int column, int previous) {
    const MatrixModel& model = m_controller.model();
    m_window.grid().showRoute(model, m_controller.names(), model.selectedUnit(), row, column, previous);
}

void ScreenUpdates::showGrid() {
    const MatrixModel& model = m_controller.model();
    const FunctionKeys& keys = m_controller.functionKeys();
    m_window.grid().showAll(model, m_controller.names(), model.selectedUnit(),
                            grid::ShownSlot(keys.previewing(), keys.previewMemory()));
}

void ScreenUpdates::showUnitMap(int unit) {
    if (!IsUnit(unit)) return;
    const MatrixModel& model = m_controller.model();
    UnitPanel* panel = m_window.unitPanel(unit);
    const PanelSize size = UnitPanelSize(model.isReverse());
    panel->resize(size.width, size.height);
    const bool selected = unit == model.selectedUnit();
    panel->setSelected(selected);
    const QString spoken = selected ? QStringLiteral("Unit %1, selected").arg(unit + 1)
                                    : QStringLiteral("Unit %1").arg(unit + 1);
    if (panel->accessibleName() != spoken) panel->setAccessibleName(spoken);
    panel->setBevel(selected ? Bevel::Lowered : Bevel::Raised);
    QImage picture = UnitPicture(selected, panel->devicePixelRatio());
    DrawUnitMap(picture, model, unit, panel->palette().color(QPalette::Button));
    panel->setPicture(picture);
}

void ScreenUpdates::showArrangement() {
    const MatrixModel& model = m_controller.model();
    for (int k = 0; k < kLayouts; ++k)
        m_window.commands().arrangements[static_cast<std::size_t>(k)]->setEnabled(
            LayoutAllowed(model.slaveCount(), k));
    if (model.layout() < kLayouts)
        m_window.commands().arrangements[static_cast<std::size_t>(model.layout())]->setChecked(true);
    for (int u = 1; u < kUnits; ++u) {
        UnitPanel* panel = m_window.unitPanel(u);
        const PanelPlace place = UnitPanelPlace(model.layout(), u, model.isReverse());
        if (place.visible) {
            panel->move(place.left, place.top);
            panel->show();
        } else {
            panel->hide();  // keeps its last position
        }
    }
}

void ScreenUpdates::showIndicators() {
    const MatrixModel& model = m_controller.model();
    const int unit = model.selectedUnit();
    const int shown = model.currentMemory(unit) + 1;
    m_window.statusPanel(0)->setText(model.unsaved(unit) ? QStringLiteral("Memory: %1 - Unsaved").arg(shown)
                                                         : QStringLiteral("Memory: %1").arg(shown));
    m_window.statusPanel(1)->setText(QStringLiteral("Unit: %1").arg(unit + 1));
}

void ScreenUpdates::showMemoryLamps() {
    const MatrixModel& model = m_controller.model();
    m_window.recallPanel()->showOnly(model.currentMemory(model.selectedUnit()));
}

void ScreenUpdates::showPattern(const BlinkPattern& pattern) {
    const bool reverse = m_controller.model().isReverse();
    switch (pattern.memory) {
        case MemoryLamps::Keep:
            break;
        case MemoryLamps::Usual:
            showMemoryLamps();
            break;
        case MemoryLamps::AllLit:
        case MemoryLamps::AllDark:
            m_window.recallPanel()->setAllLit(pattern.memory == MemoryLamps::AllLit);
            break;
        case MemoryLamps::PreviewOnly:
            m_window.recallPanel()->showOnly(m_controller.functionKeys().previewMemory());
            break;
    }
    const auto paint = [reverse](Led* lamp, Lamp how) {
        switch (how) {
            case Lamp::Keep:
                break;
            case Lamp::Dark:
            case Lamp::Lit:
                lamp->setLit(how == Lamp::Lit);
                break;
            case Lamp::FollowReverse:
                lamp->setLit(reverse);
                break;
        }
    };
    paint(m_window.functionsPanel()->lamp(kStoreTag), pattern.store);
    paint(m_window.functionsPanel()->lamp(kPreviewTag), pattern.preview);
    paint(m_window.functionsPanel()->lamp(kClearTag), pattern.clear);
    paint(m_window.functionsPanel()->lamp(kReverseTag), pattern.reverse);
    paint(m_window.okLamp(), pattern.ok);
    if (pattern.prompts != Prompts::Keep) {
        m_window.promptTitle()->setVisible(pattern.prompts == Prompts::Shown);
        m_window.promptText()->setVisible(pattern.prompts == Prompts::Shown);
    }
    if (pattern.hideOk) {
        m_window.okKey()->hide();
        m_window.okLamp()->hide();
    }
    if (pattern.restoreReverseKey) m_window.functionsPanel()->key(kReverseTag)->setChecked(reverse);
}

void ScreenUpdates::showRecentFiles(const ReopenUpdate& update) {
    for (int i = 0; i < kRecentFiles; ++i) {
        QAction* entry = m_window.commands().recentFiles[static_cast<std::size_t>(i)];
        switch (update[i].change) {
            case ReopenChange::Keep:
                break;
            case ReopenChange::Show: {
                const QByteArray path = QByteArray::fromStdString(update[i].caption);
                // Menu texts take '&' as a mnemonic marker; a path shows it as it is.
                entry->setText(PathText(update[i].caption).replace(QLatin1Char('&'), QLatin1String("&&")));
                entry->setData(path);
                entry->setVisible(true);
                break;
            }
            case ReopenChange::Hide:
                entry->setText(QString());
                entry->setData(QVariant());
                entry->setVisible(false);
                break;
        }
    }
}

}  // namespace corvane
