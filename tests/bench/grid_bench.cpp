// The cost of redrawing the crosspoint grid on the offscreen window. Not a test: run it by hand,
// e.g. build/tests/corvane_bench_grid --benchmark_repetitions=3.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>

#include "formfixture.h"

using namespace corvane;

namespace {

// One shown window for all benchmarks, with names and two units routed differently.
TCorvane_Form* g_form = nullptr;
TCorvane_Form& Window() {
    return *g_form;
}

// Every glyph, hint and caption rewritten: the unit shown changes on each call.
void RefreshGrid(benchmark::State& state) {
    TCorvane_Form& form = Window();
    std::uint8_t unit = 0;
    for (auto _ : state) {
        form.state().SelectedUnit = unit ^= 1;
        form.RefreshGrid();
    }
}
BENCHMARK(RefreshGrid);

void RefreshGridAndPaint(benchmark::State& state) {
    TCorvane_Form& form = Window();
    std::uint8_t unit = 0;
    for (auto _ : state) {
        form.state().SelectedUnit = unit ^= 1;
        form.RefreshGrid();
        QApplication::processEvents();
    }
}
BENCHMARK(RefreshGridAndPaint);

// One lamp moved between two rows of a column, with the redraw it causes.
void ApplyCrosspointAndPaint(benchmark::State& state) {
    TCorvane_Form& form = Window();
    form.state().SelectedUnit = 0;
    form.RefreshGrid();
    std::uint8_t row = 0;
    for (auto _ : state) {
        form.ApplyCrosspoint(row ^= 1, 5);
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
    g_form->names().setDefaults();
    g_form->show();
    if (!QTest::qWaitForWindowExposed(g_form)) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
