#include "soak/soakchecks.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "app/corvane.h"
#include "view/angledlabel.h"
#include "view/crosspointbutton.h"
#include "model/gridcontent.h"
#include "model/layouts.h"
#include "view/led.h"
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

void CheckGrid(TCorvane_Form& form, Report& report) {
    const MatrixState& s = form.state();
    const bool reverse = s.ReverseMode != 0;
    const int unit = grid::ShownUnit(s);
    const int slot = grid::ShownSlot(form.FunctionMode == PreviewShow, form.PreviewMemory);
    for (int r = 0; r < grid::kRows; ++r)
        for (int c = 0; c < grid::kColumns; ++c)
            if (form.crosspoint(r, c)->isHidden() != grid::IsHidden(r, c, reverse))
                report("grid button %d,%d %s in %s routing", r, c,
                       form.crosspoint(r, c)->isHidden() ? "hidden" : "shown", reverse ? "reverse" : "normal");

    // Exactly one lit button in every line's column (normal) or every channel's row (reverse).
    const int lanes = reverse ? kChannels : kLines;
    const int across = reverse ? grid::kColumns : grid::kRows;
    for (int lane = 0; lane < lanes; ++lane) {
        const int route = reverse ? s.ChannelRoute[unit][slot][lane] : s.LineRoute[unit][slot][lane];
        int lit = 0;
        for (int k = 0; k < across; ++k) {
            const int r = reverse ? lane : k;
            const int c = reverse ? k : lane;
            if (!form.crosspointButton(r, c)->isConnected()) continue;
            ++lit;
            if (k != route) report("grid button %d,%d lit, but the route of %d is %d", r, c, lane, route);
        }
        if (lit != 1) report("%d lit buttons for %s %d", lit, reverse ? "channel" : "line", lane);
    }

    for (int c = 0; c < grid::kColumns; ++c) {
        if (!reverse && c == grid::kNoLineColumn) continue;
        const std::string expected = grid::ColumnCaption(s, form.names(), unit, slot, c, reverse);
        if (Text(form.columnLabel(c)->caption()) != expected)
            report("column label %d reads \"%s\", not \"%s\"", c, Text(form.columnLabel(c)->caption()).c_str(),
                   expected.c_str());
    }
    for (int r = 0; r < grid::kRows; ++r) {
        if (reverse && r == grid::kDisconnectedRow) continue;
        const std::string expected = grid::RowCaption(s, form.names(), unit, slot, r, reverse);
        if (Text(form.rowLabel(r)->caption()) != expected)
            report("row label %d reads \"%s\", not \"%s\"", r, Text(form.rowLabel(r)->caption()).c_str(),
                   expected.c_str());
    }
}

void CheckUnitPanels(TCorvane_Form& form, Report& report) {
    const MatrixState& s = form.state();
    const bool reverse = s.ReverseMode != 0;
    const int highest = HighestUnit(s.MatrixLayout);
    if (!LayoutAllowed(s.SlaveCount, s.MatrixLayout))
        report("arrangement %d with %d slaves", s.MatrixLayout, s.SlaveCount);
    if (s.SelectedUnit > highest) report("unit %d selected in arrangement %d", s.SelectedUnit, s.MatrixLayout);
    for (int k = 0; k < kLayouts; ++k)
        if (form.MatrixCommands[k]->isChecked() != (k == s.MatrixLayout))
            report("arrangement command %d %s", k, form.MatrixCommands[k]->isChecked() ? "checked" : "unchecked");

    const PanelSize size = UnitPanelSize(reverse);
    // The picture shows 16 columns; reverse routing's no-line column falls outside it.
    const int columns = kLines;
    const int rows = reverse ? kChannels : kChannels + 1;
    for (int u = 0; u < kUnits; ++u) {
        UnitPanel* panel = form.unitPanel(u);
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

void CheckIndicators(TCorvane_Form& form, Report& report) {
    const MatrixState& s = form.state();
    const int unit = s.SelectedUnit & 3;
    const int memory = s.CurrentMemory[unit];
    const bool unsaved = s.UnsavedFlags[unit] != 0;

    const QString memoryText = unsaved ? QStringLiteral("Memory: %1 - Unsaved").arg(memory + 1)
                                       : QStringLiteral("Memory: %1").arg(memory + 1);
    if (form.StatusPanels[0]->text() != memoryText)
        report("memory status \"%s\", not \"%s\"", Text(form.StatusPanels[0]->text()).c_str(),
               Text(memoryText).c_str());
    const QString unitText = QStringLiteral("Unit: %1").arg(s.SelectedUnit + 1);
    if (form.StatusPanels[1]->text() != unitText)
        report("unit status \"%s\", not \"%s\"", Text(form.StatusPanels[1]->text()).c_str(), Text(unitText).c_str());
    if (unsaved && !form.TimerDiferente.enabled()) report("the unsaved memory does not blink");

    // While a function key's step is armed, its pattern owns the lamps.
    if (form.FunctionMode != Idle) return;
    for (int m = 0; m < kMemories; ++m) {
        const bool lit = form.Leds[m + 1]->isLit();
        // The current memory blinks while unsaved, so either is right then.
        if (m == memory ? (!unsaved && !lit) : lit) report("memory lamp %d %s", m + 1, lit ? "lit" : "dark");
    }
    for (int led : {6, 7, 8, 11})
        if (form.Leds[led]->isLit()) report("function lamp %d lit while no step is armed", led);
    if (form.Leds[9]->isLit() != (s.ReverseMode != 0)) report("REVERSE lamp does not show the orientation");
    if (form.ReverseButton->isChecked() != (s.ReverseMode != 0)) report("REVERSE key does not show the orientation");
    if (!form.OkButton->isHidden()) report("OK shown while no step is armed");
    if (!form.ActionText1->isHidden() || !form.ActionText2->isHidden()) report("prompts shown while no step is armed");
}

}  // namespace

std::vector<std::string> ScreenViolations(TCorvane_Form& form) {
    Report report;
    CheckGrid(form, report);
    CheckUnitPanels(form, report);
    CheckIndicators(form, report);
    return report.lines;
}

std::vector<std::string> UnitComparison::violations(const MatrixState& program, const MatrixState& unit) {
    Report report;
    if (program.ReverseMode != unit.ReverseMode)
        report("orientation %d, the unit's %d", program.ReverseMode, unit.ReverseMode);
    for (int u = 0; u <= unit.SlaveCount && u < kUnits; ++u) {
        if (program.CurrentMemory[u] != unit.CurrentMemory[u])
            report("unit %d on memory %d, the unit says %d", u, program.CurrentMemory[u], unit.CurrentMemory[u]);
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
