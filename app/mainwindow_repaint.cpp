#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "app/mainwindow.h"
#include "model/gridcontent.h"
#include "model/layouts.h"
#include "view/angledlabel.h"
#include "view/crosspointgrid.h"
#include "view/functionspanel.h"
#include "view/led.h"
#include "view/recallpanel.h"
#include "view/storedpictures.h"
#include "view/unitmap.h"
#include "view/unitpanel.h"

// The window's repaints, one for each of the controller's signals. Each reads the model afresh.
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

void MainWindow::connectController() {
    MatrixController* c = &m_controller;
    connect(c, &MatrixController::crosspointChanged, this, &MainWindow::showCrosspoint);
    connect(c, &MatrixController::gridChanged, this, &MainWindow::showGrid);
    connect(c, &MatrixController::gridRebuilding, this, [this](bool rebuilding) {
        // No half-built grid is painted, not even while the request is pending.
        if (rebuilding) {
            m_gridWasHidden = m_gridPanel->isHidden();
            m_gridPanel->hide();
        } else if (!m_gridWasHidden) {
            m_gridPanel->show();
        }
    });
    connect(c, &MatrixController::orientationChanged, this, [this](bool reverse) {
        m_functionsPanel->key(kReverseTag)->setChecked(reverse);
        m_functionsPanel->lamp(kReverseTag)->setLit(reverse);
        m_grid->arrange(reverse);
    });
    connect(c, &MatrixController::arrangementChanged, this, &MainWindow::showArrangement);
    connect(c, &MatrixController::unitMapChanged, this, &MainWindow::showUnitMap);
    connect(c, &MatrixController::indicatorsChanged, this, &MainWindow::showIndicators);
    connect(c, &MatrixController::memoryLampsChanged, this, &MainWindow::showMemoryLamps);
    connect(c, &MatrixController::unsavedLampBlinked, m_recallPanel, &RecallPanel::setLit);
    connect(c, &MatrixController::functionPattern, this, &MainWindow::showPattern);
    connect(c, &MatrixController::promptsChanged, this, [this](const QString& title, const QString& text) {
        m_promptTitle->setCaption(title);
        m_promptText->setCaption(text);
        // The grid is built after the prompts; they must still be drawn over its corner.
        m_promptTitle->raise();
        m_promptText->raise();
    });
    connect(c, &MatrixController::confirmationOffered, this, [this] {
        m_okKey->show();
        m_okLamp->show();
    });
    connect(c, &MatrixController::captionChanged, this, &QWidget::setWindowTitle);
    connect(c, &MatrixController::recentFilesChanged, this, &MainWindow::showRecentFiles);
    // Losing the unit ends the program through the normal shutdown, without a message.
    connect(c, &MatrixController::unitLost, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void MainWindow::showCrosspoint(int row, int column, int previous) {
    const MatrixModel& model = m_controller.model();
    m_grid->showRoute(model, m_controller.names(), model.selectedUnit(), row, column, previous);
}

void MainWindow::showGrid() {
    const MatrixModel& model = m_controller.model();
    const FunctionKeys& keys = m_controller.functionKeys();
    m_grid->showAll(model, m_controller.names(), model.selectedUnit(),
                    grid::ShownSlot(keys.previewing(), keys.previewMemory()));
}

void MainWindow::showUnitMap(int unit) {
    if (!IsUnit(unit)) return;
    const MatrixModel& model = m_controller.model();
    UnitPanel* panel = m_unitPanels[static_cast<std::size_t>(unit)];
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

void MainWindow::showArrangement() {
    const MatrixModel& model = m_controller.model();
    for (int k = 0; k < kLayouts; ++k)
        m_commands.arrangements[static_cast<std::size_t>(k)]->setEnabled(
            LayoutAllowed(model.slaveCount(), k));
    if (model.layout() < kLayouts)
        m_commands.arrangements[static_cast<std::size_t>(model.layout())]->setChecked(true);
    for (int u = 1; u < kUnits; ++u) {
        UnitPanel* panel = m_unitPanels[static_cast<std::size_t>(u)];
        const PanelPlace place = UnitPanelPlace(model.layout(), u, model.isReverse());
        if (place.visible) {
            panel->move(place.left, place.top);
            panel->show();
        } else {
            panel->hide();  // keeps its last position
        }
    }
}

void MainWindow::showIndicators() {
    const MatrixModel& model = m_controller.model();
    const int unit = model.selectedUnit();
    const int shown = model.currentMemory(unit) + 1;
    m_statusPanels[0]->setText(model.unsaved(unit) ? QStringLiteral("Memory: %1 - Unsaved").arg(shown)
                                                   : QStringLiteral("Memory: %1").arg(shown));
    m_statusPanels[1]->setText(QStringLiteral("Unit: %1").arg(unit + 1));
}

void MainWindow::showMemoryLamps() {
    const MatrixModel& model = m_controller.model();
    m_recallPanel->showOnly(model.currentMemory(model.selectedUnit()));
}

void MainWindow::showPattern(const BlinkPattern& pattern) {
    const bool reverse = m_controller.model().isReverse();
    switch (pattern.memory) {
        case MemoryLamps::Keep:
            break;
        case MemoryLamps::Usual:
            showMemoryLamps();
            break;
        case MemoryLamps::AllLit:
        case MemoryLamps::AllDark:
            m_recallPanel->setAllLit(pattern.memory == MemoryLamps::AllLit);
            break;
        case MemoryLamps::PreviewOnly:
            m_recallPanel->showOnly(m_controller.functionKeys().previewMemory());
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
    paint(m_functionsPanel->lamp(kStoreTag), pattern.store);
    paint(m_functionsPanel->lamp(kPreviewTag), pattern.preview);
    paint(m_functionsPanel->lamp(kClearTag), pattern.clear);
    paint(m_functionsPanel->lamp(kReverseTag), pattern.reverse);
    paint(m_okLamp, pattern.ok);
    if (pattern.prompts != Prompts::Keep) {
        m_promptTitle->setVisible(pattern.prompts == Prompts::Shown);
        m_promptText->setVisible(pattern.prompts == Prompts::Shown);
    }
    if (pattern.hideOk) {
        m_okKey->hide();
        m_okLamp->hide();
    }
    if (pattern.restoreReverseKey) m_functionsPanel->key(kReverseTag)->setChecked(reverse);
}

}  // namespace corvane
