#include "soak/soakchecks.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/mainwindow.h"
#include "model/gridcontent.h"
#include "model/layouts.h"
#include "view/angledlabel.h"
#include "view/crosspointbutton.h"
#include "view/crosspointgrid.h"
#include "view/functionspanel.h"
#include "view/led.h"
#include "view/recallpanel.h"
#include "view/unitmap.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace soak {

namespace {

class Report {
  public:
    void operator()(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char line[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(line, sizeof line, format, args);
        va_end(args);
        lines.emplace_back(line);
    }
    std::vector<std::string> lines;
};

std::string Text(const QString& s) {
    return s.toStdString();
}

void CheckGrid(MainWindow& window, Report& report) {
    const MatrixState& s = window.controller().state();
    const bool reverse = s.ReverseMode != 0;
    const int unit = window.controller().model().selectedUnit();
    const int slot = grid::ShownSlot(window.controller().functionKeys().step() == Step::PreviewShow,
                                     window.controller().functionKeys().previewMemory());
    for (int r = 0; r < grid::kRows; ++r)
        for (int c = 0; c < grid::kColumns; ++c)
            if (window.grid().button(r, c)->isHidden() != grid::IsHidden(r, c, reverse))
                report("grid button %d,%d %s in %s routing", r, c,
                       window.grid().button(r, c)->isHidden() ? "hidden" : "shown",
                       reverse ? "reverse" : "normal");

    // Exactly one lit button in every line's column (normal) or every channel's row (reverse).
    const int lanes = reverse ? kChannels : kLines;
    const int across = reverse ? grid::kColumns : grid::kRows;
    for (int lane = 0; lane < lanes; ++lane) {
        const int route = reverse ? s.ChannelRoute[unit][slot][lane] : s.LineRoute[unit][slot][lane];
        int lit = 0;
        for (int k = 0; k < across; ++k) {
            const int r = reverse ? lane : k;
            const int c = reverse ? k : lane;
            if (!window.grid().button(r, c)->isConnected()) continue;
            ++lit;
            if (k != route) report("grid button %d,%d lit, but the route of %d is %d", r, c, lane, route);
        }
        if (lit != 1) report("%d lit buttons for %s %d", lit, reverse ? "channel" : "line", lane);
    }

    for (int c = 0; c < grid::kColumns; ++c) {
        if (!reverse && c == grid::kNoLineColumn) continue;
        const std::string expected = grid::ColumnCaption(window.controller().model(),
                                                         window.controller().names(), unit, slot, c, reverse);
        if (Text(window.grid().columnLabel(c)->caption()) != expected)
            report("column label %d reads \"%s\", not \"%s\"", c,
                   Text(window.grid().columnLabel(c)->caption()).c_str(), expected.c_str());
    }
    for (int r = 0; r < grid::kRows; ++r) {
        if (reverse && r == grid::kDisconnectedRow) continue;
        const std::string expected = grid::RowCaption(window.controller().model(),
                                                      window.controller().names(), unit, slot, r, reverse);
        if (Text(window.grid().rowLabel(r)->caption()) != expected)
            report("row label %d reads \"%s\", not \"%s\"", r,
                   Text(window.grid().rowLabel(r)->caption()).c_str(), expected.c_str());
    }
}

void CheckUnitPanels(MainWindow& window, Report& report) {
    const MatrixState& s = window.controller().state();
    const bool reverse = s.ReverseMode != 0;
    const int highest = HighestUnit(s.MatrixLayout);
    if (!LayoutAllowed(s.SlaveCount, s.MatrixLayout))
        report("arrangement %d with %d slaves", s.MatrixLayout, s.SlaveCount);
    if (s.SelectedUnit > highest)
        report("unit %d selected in arrangement %d", s.SelectedUnit, s.MatrixLayout);
    for (int k = 0; k < kLayouts; ++k)
        if (window.commands().arrangements[k]->isChecked() != (k == s.MatrixLayout))
            report("arrangement command %d %s", k,
                   window.commands().arrangements[k]->isChecked() ? "checked" : "unchecked");

    const PanelSize size = UnitPanelSize(reverse);
    // The picture shows 16 columns; reverse routing's no-line column falls outside it.
    const int columns = kLines;
    const int rows = reverse ? kChannels : kChannels + 1;
    for (int u = 0; u < kUnits; ++u) {
        UnitPanel* panel = window.unitPanel(u);
        const bool shown = u == 0 || UnitPanelPlace(s.MatrixLayout, u, reverse).visible;
        if (panel->isHidden() == shown) report("unit panel %d %s", u, shown ? "hidden" : "shown");
        if (panel->width() != size.width || panel->height() != size.height)
            report("unit panel %d is %dx%d", u, panel->width(), panel->height());
        const Bevel bevel = u == s.SelectedUnit ? Bevel::Lowered : Bevel::Raised;
        if (panel->bevel() != bevel) report("unit panel %d has the wrong bevel", u);
        const QImage& picture = panel->picture();
        for (int i = 0; i < rows; ++i)
            for (int j = 0; j < columns; ++j) {
                const bool connected =
                    reverse ? s.ChannelRoute[u][kWorkMemory][i] == j : s.LineRoute[u][kWorkMemory][j] == i;
                const bool lit = picture.pixel(kDotPitch * j + 3, kDotPitch * i + 3) == qRgb(0, 255, 0);
                if (lit != connected) report("unit %d dot %d,%d %s", u, i, j, lit ? "lit" : "dark");
            }
    }
}

void CheckIndicators(MainWindow& window, Report& report) {
    const MatrixState& s = window.controller().state();
    const int unit = s.SelectedUnit & 3;
    const int memory = s.CurrentMemory[unit];
    const bool unsaved = s.UnsavedFlags[unit] != 0;

    const QString memoryText = unsaved ? QStringLiteral("Memory: %1 - Unsaved").arg(memory + 1)
                                       : QStringLiteral("Memory: %1").arg(memory + 1);
    if (window.statusPanel(0)->text() != memoryText)
        report("memory status \"%s\", not \"%s\"", Text(window.statusPanel(0)->text()).c_str(),
               Text(memoryText).c_str());
    const QString unitText = QStringLiteral("Unit: %1").arg(s.SelectedUnit + 1);
    if (window.statusPanel(1)->text() != unitText)
        report("unit status \"%s\", not \"%s\"", Text(window.statusPanel(1)->text()).c_str(),
               Text(unitText).c_str());
    if (unsaved && !window.controller().blinking()) report("the unsaved memory does not blink");

    // While a function key's step is armed, its pattern owns the lamps.
    if (window.controller().functionKeys().step() != Step::Idle) return;
    for (int m = 0; m < kMemories; ++m) {
        const bool lit = window.recallPanel()->lamp(m)->isLit();
        // The current memory blinks while unsaved, so either is right then.
        if (m == memory ? (!unsaved && !lit) : lit) report("memory lamp %d %s", m + 1, lit ? "lit" : "dark");
    }
    const std::pair<const char*, const Led*> lamps[] = {
        {"STORE", window.functionsPanel()->lamp(kStoreTag)},
        {"PREVIEW", window.functionsPanel()->lamp(kPreviewTag)},
        {"CLEAR", window.functionsPanel()->lamp(kClearTag)},
        {"OK", window.okLamp()}};
    for (const auto& [name, lamp] : lamps)
        if (lamp->isLit()) report("%s lamp lit while no step is armed", name);
    if (window.functionsPanel()->lamp(3)->isLit() != (s.ReverseMode != 0))
        report("REVERSE lamp does not show the orientation");
    if (window.functionsPanel()->key(kReverseTag)->isChecked() != (s.ReverseMode != 0))
        report("REVERSE key does not show the orientation");
    if (!window.okKey()->isHidden()) report("OK shown while no step is armed");
    if (!window.promptTitle()->isHidden() || !window.promptText()->isHidden())
        report("prompts shown while no step is armed");
}

}  // namespace

std::vector<std::string> ScreenViolations(MainWindow& window) {
    Report report;
    CheckGrid(window, report);
    CheckUnitPanels(window, report);
    CheckIndicators(window, report);
    return report.lines;
}

std::vector<std::string> UnitComparison::violations(const MatrixState& program, const MatrixState& unit) {
    Report report;
    if (program.ReverseMode != unit.ReverseMode)
        report("orientation %d, the unit's %d", program.ReverseMode, unit.ReverseMode);
    for (int u = 0; u <= unit.SlaveCount && u < kUnits; ++u) {
        if (program.CurrentMemory[u] != unit.CurrentMemory[u])
            report("unit %d on memory %d, the unit says %d", u, program.CurrentMemory[u],
                   unit.CurrentMemory[u]);
        for (int slot = 0; slot < kSlots; ++slot)
            for (int l = 0; l < kLines; ++l)
                if (program.LineRoute[u][slot][l] != unit.LineRoute[u][slot][l])
                    report("unit %d slot %d line %d on %d, the unit says %d", u, slot, l,
                           program.LineRoute[u][slot][l], unit.LineRoute[u][slot][l]);
        if (std::memcmp(program.ChannelRoute[u], unit.ChannelRoute[u], sizeof unit.ChannelRoute[u]) == 0) {
            m_uncertain[u] = false;
            continue;
        }
        if (m_uncertain[u]) continue;
        for (int slot = 0; slot < kSlots; ++slot)
            for (int c = 0; c < kChannels; ++c)
                if (program.ChannelRoute[u][slot][c] != unit.ChannelRoute[u][slot][c])
                    report("unit %d slot %d channel %d on %d, the unit says %d", u, slot, c,
                           program.ChannelRoute[u][slot][c], unit.ChannelRoute[u][slot][c]);
    }
    return report.lines;
}

}  // namespace soak
