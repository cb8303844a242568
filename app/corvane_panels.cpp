#include <QAction>
#include <QActionGroup>
#include <QPushButton>

#include "app/corvane.h"
#include "model/memoryops.h"
#include "model/layouts.h"
#include "view/led.h"
#include "view/unitmap.h"
#include "view/unitpanel.h"

namespace corvane {

namespace {
// Short part for the pop-up, long part for the status bar.
constexpr const char* kUnitHints[kUnits][2] = {
    {"Unit: 1", "Master unit"},
    {"Unit: 2", "First slave unit"},
    {"Unit: 3", "Second slave unit"},
    {"Unit: 4", "Third slave unit"},
};

// ImageList3: the pictures of a unit not selected (0) and selected (1).
const QImage& UnitPicture(bool selected) {
    static const QImage pictures[2] = {
        QImage(QStringLiteral(":/unit-normal.png")).convertToFormat(QImage::Format_RGB32),
        QImage(QStringLiteral(":/unit-selected.png")).convertToFormat(QImage::Format_RGB32),
    };
    return pictures[selected ? 1 : 0];
}
}  // namespace

QWidget* TCorvane_Form::UnitPanelParent() const {
    return Panel1 ? static_cast<QWidget*>(Panel1) : centralWidget();
}

QPoint TCorvane_Form::UnitPanelOrigin() const {
    // Positions are given within the grid panel, which stands 55 pixels down the client area.
    return Panel1 ? QPoint(0, 0) : ClientRect(0, 55, 0, 0).topLeft();
}

void TCorvane_Form::BuildUnitPanels() {
    // Created in tab order: Imagen1, Imagen2, Imagen4, Imagen3. Panels are no tab stops, so the
    // creation order is what puts them into the focus chain.
    for (int u : {0, 1, 3, 2}) {
        auto* panel = new UnitPanel(u, UnitPanelParent());
        panel->setObjectName(QStringLiteral("Imagen%1").arg(u + 1));
        panel->setBevelWidth(kUnitPanelBevel);
        panel->setGeometry(QRect(UnitPanelOrigin() + QPoint(5 + 136 * u, 5),
                                 QSize(kUnitPanelNormal.width, kUnitPanelNormal.height)));
        panel->setPicture(UnitPicture(false));
        panel->setToolTip(QString::fromLatin1(kUnitHints[u][0]));
        panel->setStatusTip(QString::fromLatin1(kUnitHints[u][1]));
        connect(panel, &UnitPanel::pressed, this, [this](int unit) { Image1MouseDown(unit); });
        connect(panel, &UnitPanel::moved, this, &TCorvane_Form::Image1MouseMove);
        connect(panel, &UnitPanel::released, this, &TCorvane_Form::Image4MouseUp);
        UnitPanels[static_cast<std::size_t>(u)] = panel;
    }
}

void TCorvane_Form::BringUnitPanelsToFront() {
    for (UnitPanel* panel : UnitPanels) panel->raise();
}

void TCorvane_Form::RefreshUnitPanel(int unit) {
    if (!IsUnit(unit)) return;
    UnitPanel* panel = UnitPanels[static_cast<std::size_t>(unit)];
    const PanelSize size = UnitPanelSize(m_state.ReverseMode != 0);
    panel->resize(size.width, size.height);
    PaintUnitPanel(unit, unit == m_state.SelectedUnit);
}

void TCorvane_Form::PaintUnitPanel(int unit, bool selected) {
    UnitPanel* panel = UnitPanels[static_cast<std::size_t>(unit)];
    panel->setPicture(UnitPicture(selected));
    panel->setBevel(selected ? Bevel::Lowered : Bevel::Raised);
    DrawUnitMap(unit);
}

void TCorvane_Form::DrawUnitMap(int unit) {
    if (!IsUnit(unit)) return;
    UnitPanel* panel = UnitPanels[static_cast<std::size_t>(unit)];
    QImage picture = panel->picture();
    corvane::DrawUnitMap(picture, m_state, unit, panel->palette().color(QPalette::Button));
    panel->setPicture(picture);
}

void TCorvane_Form::RefreshLayoutMenu() {
    const int slaves = m_state.SlaveCount;
    for (int k = 0; k < kLayouts; ++k)
        if (QAction* command = MatrixCommands[static_cast<std::size_t>(k)])
            command->setEnabled(LayoutAllowed(slaves, k));
    m_state.MatrixLayout = AllowedLayout(slaves, m_state.MatrixLayout);
    // What the indicators show before the arrangement is applied must already be a unit the
    // arrangement shows.
    LowerSelectedUnit();
    if (QAction* command = MatrixCommands[m_state.MatrixLayout]) command->setChecked(true);
}

void TCorvane_Form::ShowConfiguration() {
    RefreshLayoutMenu();
    // The key, its lamp and the grid's arrangement follow the orientation the configuration
    // brought; a grid laid out for the other one would route every click wrongly.
    ReverseButton->setChecked(m_state.ReverseMode != 0);
    Leds[9]->setLit(m_state.ReverseMode != 0);
    ArrangeGrid();
    ApplyLayout();
    ShowMemoryLeds();
    ShowMemoryStatus();
}

void TCorvane_Form::MatrixExecute(int layout) {
    if (layout < 0 || layout >= kLayouts) return;
    m_state.MatrixLayout = static_cast<std::uint8_t>(layout);
    if (QAction* command = MatrixCommands[static_cast<std::size_t>(layout)]) command->setChecked(true);
    ApplyLayout();
}

void TCorvane_Form::LowerSelectedUnit() {
    const int highest = HighestUnit(m_state.MatrixLayout);
    if (m_state.SelectedUnit > highest) m_state.SelectedUnit = static_cast<std::uint8_t>(highest);
}

void TCorvane_Form::ApplyLayout() {
    const bool reverse = m_state.ReverseMode != 0;
    for (int u = 1; u < kUnits; ++u) {
        UnitPanel* panel = UnitPanels[static_cast<std::size_t>(u)];
        const PanelPlace place = UnitPanelPlace(m_state.MatrixLayout, u, reverse);
        if (place.visible) {
            panel->move(UnitPanelOrigin() + QPoint(place.left, place.top));
            panel->show();
        } else {
            panel->hide();  // keeps its last position
        }
    }
    const std::uint8_t selected = m_state.SelectedUnit;
    LowerSelectedUnit();
    m_names.shareOnArrangement(m_state.MatrixLayout);
    BlinkCount = 50;
    RefreshGrid();
    ShowUnitStatus();
    for (int u = 0; u < kUnits; ++u) RefreshUnitPanel(u);
    // The selection moved to a unit the arrangement shows: the indicators are for that unit now.
    if (m_state.SelectedUnit != selected) {
        ShowMemoryLeds();
        ShowMemoryStatus();
    }
}

void TCorvane_Form::Image1MouseDown(int unit) {
    if (!IsUnit(unit) || unit == m_state.SelectedUnit) return;
    UnitPanels[static_cast<std::size_t>(unit)]->setBevel(Bevel::Lowered);
    PressedUnitImage = unit;
}

void TCorvane_Form::Image1MouseMove(int unit, int x, int y, bool buttonHeld) {
    if (unit != PressedUnitImage || !buttonHeld || !IsUnit(unit)) return;
    UnitPanel* panel = UnitPanels[static_cast<std::size_t>(unit)];
    // Only the right and bottom edges count: left of or above the picture is still inside.
    const bool outside = x > panel->pictureWidth() || y > panel->pictureHeight();
    panel->setBevel(outside ? Bevel::Raised : Bevel::Lowered);
}

void TCorvane_Form::Image4MouseUp(int unit, int x, int y) {
    PressedUnitImage = -1;
    if (!IsUnit(unit) || unit == m_state.SelectedUnit) return;
    const UnitPanel* panel = UnitPanels[static_cast<std::size_t>(unit)];
    if (x > panel->pictureWidth() || y > panel->pictureHeight()) return;

    if (IsUnit(m_state.SelectedUnit)) PaintUnitPanel(m_state.SelectedUnit, false);
    m_state.SelectedUnit = static_cast<std::uint8_t>(unit);
    BlinkCount = 50;
    RefreshUnitPanel(unit);
    RefreshGrid();
    ShowMemoryLeds();
    ShowUnitStatus();
    ShowMemoryStatus();
}

}  // namespace corvane
