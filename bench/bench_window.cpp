// Timings of the window's long commands on the default surface, on Qt's
// offscreen platform, from the same handlers the menus call:
//   BM_WindowBackgroundGauss/N  "Color by Gauss Curv." with N workers, 548 x 548,
//                               until the last worker's end is handled; the
//                               counter max_gap_ms is the longest time between
//                               two turns of the event loop meanwhile
//   BM_WindowLocus/K            the locus item of kind K (0..6), traced and drawn
//   BM_WindowCurvatureLines     curvature lines from one click on the panel
//   BM_WindowPrintGauss/R       File > Print... into a PDF file with the
//                               Gauss-curvature background at R pixels per
//                               line on 2 workers, until the PDF is written;
//                               max_gap_ms as above
//   BM_WindowSpecialPoints/N    Show Special Points of every kind on a generic
//                               closed torus with N workers, until the markers
//                               are drawn; max_gap_ms as above
#include "app/MainWindow.h"
#include "tests/app/ScriptedDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace velmora {
namespace {

std::unique_ptr<TMainWindow> ReadyWindow(int workers) {
    auto w = std::make_unique<TMainWindow>(workers);
    w->ReadData();
    return w;
}

// Runs the event loop until the window is idle; returns the longest time
// between two turns of the loop (a 1 ms timer marks each turn).
double RunUntilIdle(TMainWindow& w) {
    QEventLoop loop;
    QTimer turn;
    turn.setTimerType(Qt::PreciseTimer);
    turn.setInterval(1);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QObject::connect(&turn, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (!w.busy() && !w.Background().Running()) loop.quit();
    });
    turn.start();
    loop.exec();
    return longest / 1e6;
}

void BM_WindowBackgroundGauss(benchmark::State& state) {
    auto w = ReadyWindow(static_cast<int>(state.range(0)));
    double maxGap = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        w->OnColorByFunction(static_cast<int>(TBackgroundType::GaussCurvature));
        maxGap = std::max(maxGap, RunUntilIdle(*w));
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    state.counters["max_gap_ms"] = maxGap;
}
BENCHMARK(BM_WindowBackgroundGauss)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3.0);

void BM_WindowSpecialPoints(benchmark::State& state) {
    auto w = std::make_unique<TMainWindow>(static_cast<int>(state.range(0)));
    const char* const texts[8] = {"(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)",
                                  "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)",
                                  "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v) + 0.2 cos(u + v)",
                                  "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v) + 0.15 sin(u - 2v)",
                                  "0", "2 pi", "0", "2 pi"};
    const auto edits = w->Controls().InputEdits();
    for (int i = 0; i < 8; ++i) edits[i]->setText(QString::fromLatin1(texts[i]));
    if (!w->ReadData()) {
        state.SkipWithError("the torus was not read");
        return;
    }
    double maxGap = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        if (!w->StartSpecialPoints()) {
            state.SkipWithError("the search did not start");
            return;
        }
        maxGap = std::max(maxGap, RunUntilIdle(*w));
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    state.counters["max_gap_ms"] = maxGap;
}
BENCHMARK(BM_WindowSpecialPoints)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3.0);

void BM_WindowLocus(benchmark::State& state) {
    auto w = ReadyWindow(1);
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state) w->OnLocusItem(kind);
    state.counters["knots"] = static_cast<double>(w->Session().Stores().loci()[kind].size());
}
BENCHMARK(BM_WindowLocus)->DenseRange(0, 6)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_WindowCurvatureLines(benchmark::State& state) {
    auto w = ReadyWindow(1);
    w->OnLineItem(static_cast<int>(TLineClass::Curvature));
    QWidget* box = w->MainPanel().MainBox();
    long long points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w->OnEraseCurves();
        state.ResumeTiming();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(150, 300), box->mapToGlobal(QPointF(150, 300)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    }
    const std::vector<Curve>& lines = w->Session().Stores().lines();
    for (const Curve& curve : lines) points += static_cast<long long>(curve.pts.size());
    state.counters["curves"] = static_cast<double>(lines.size());
    state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_WindowCurvatureLines)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_WindowPrintGauss(benchmark::State& state) {
    auto w = ReadyWindow(2);
    w->OnColorByFunction(static_cast<int>(TBackgroundType::GaussCurvature));
    RunUntilIdle(*w);
    auto scripted = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *scripted;
    w->SetDialogs(std::move(scripted));
    const QString resolution = QString::number(state.range(0));
    const QString pdf = QDir::temp().filePath(QStringLiteral("velmora-bench-print.pdf"));
    double maxGap = 0;
    for (auto _ : state) {
        dialogs.configure = [&](TPageSetupDialog& form) {
            form.ColorBackCheck->setChecked(true);
            form.ResolutionEdit->setText(resolution);
            return true;
        };
        dialogs.setupPrinter = [&](QPrinter& p) {
            p.setOutputFormat(QPrinter::PdfFormat);
            p.setOutputFileName(pdf);
            p.setPageSize(QPageSize(QPageSize::A4));
            return true;
        };
        QElapsedTimer clock;
        clock.start();
        w->OnPrint();
        maxGap = std::max(maxGap, RunUntilIdle(*w));
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    state.counters["max_gap_ms"] = maxGap;
    QFile::remove(pdf);
}
BENCHMARK(BM_WindowPrintGauss)->Arg(1200)->Arg(5000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
