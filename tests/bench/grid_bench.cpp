// The cost of redrawing the crosspoint grid on the offscreen window. Not a test: run it by hand,
// e.g. build/tests/corvane_bench_grid --benchmark_repetitions=3.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include "formfixture.h"

using namespace corvane;

namespace {

// One shown window for all benchmarks, with names and two units routed differently.
MainWindow* g_form = nullptr;
MainWindow& Window() {
    return *g_form;
}

// Every glyph, hint and caption rewritten: the unit shown changes on each call.
void RefreshGrid(benchmark::State& state) {
    MainWindow& window = Window();
    std::uint8_t unit = 0;
    for (auto _ : state) {
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = unit ^= 1; });
        Q_EMIT window.controller().gridChanged();
    }
}
BENCHMARK(RefreshGrid);

void RefreshGridAndPaint(benchmark::State& state) {
    MainWindow& window = Window();
    std::uint8_t unit = 0;
    for (auto _ : state) {
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = unit ^= 1; });
        Q_EMIT window.controller().gridChanged();
        QApplication::processEvents();
    }
}
BENCHMARK(RefreshGridAndPaint);

// One lamp moved between two rows of a column, with the redraw it causes.
void ApplyCrosspointAndPaint(benchmark::State& state) {
    MainWindow& window = Window();
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 0; });
    Q_EMIT window.controller().gridChanged();
    std::uint8_t row = 0;
    for (auto _ : state) {
        window.controller().routeCrosspoint(row ^= 1, 5, Origin::FrontPanel);
        QApplication::processEvents();
    }
}
BENCHMARK(ApplyCrosspointAndPaint);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    FormFixture f;
    for (int l = 0; l < kLines; ++l) f.firmware().state().LineRoute[1][0][l] = l % 5;
    g_form = &f.open();
    EditNames(g_form->controller(), [&](corvane::NameTable& n) { n.setDefaults(); });
    g_form->show();
    if (!QTest::qWaitForWindowExposed(g_form)) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
