// Timings of the window's long commands on the default surface, on Qt's
// offscreen platform, from the same handlers the menus call:
//   BM_WindowBackgroundGauss/N  "Color by Gauss Curv." with N workers, 548 x 548,
//                               until the last worker's end is handled; the
//                               counter max_gap_ms is the longest time between
//                               two turns of the event loop meanwhile
//   BM_WindowLocus/K            the locus item of kind K (0..6), traced on its
//                               worker and drawn
//   BM_WindowCurvatureLines     curvature lines from one click on the panel
//   BM_WindowPrintGauss/R       File > Print... into a PDF file with the
//                               Gauss-curvature background at R pixels per
//                               line on 2 workers, until the PDF is written;
//                               max_gap_ms as above
//   BM_WindowSpecialPoints/N    Show Special Points of every kind on a generic
//                               closed torus with N workers, until the markers
//                               are drawn; max_gap_ms as above
//   BM_WindowGap/<command>      the longest time between two turns of the
//                               event loop (a 1 ms timer on the GUI thread)
//                               while one long command runs in the window, from
//                               the moment it is started until the window is
//                               idle again: "Enter", each locus, a background,
//                               a click of each line family, Print with a
//                               background of 1200 and 5000 pixels per line,
//                               Export Image of 5000 pixels as PNG, SVG and PDF
//                               with and without a background. The counter
//                               gap_ms is the largest gap over the iterations,
//                               gui_cpu_ms the most processor time the GUI
//                               thread spent between two ticks (the gap
//                               without the time other threads and programs
//                               held the processors), start_ms the
//                               command's own call before it hands its work
//                               to other threads; the time is that of the
//                               whole command.
#include "app/MainWindow.h"
#include "canvas/LayerDrawing.h"
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
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::unique_ptr<TMainWindow> ReadyWindow(int workers) {
    auto w = std::make_unique<TMainWindow>(workers);
    w->ReadData();
    return w;
}

// Runs `command` from the event loop while a 1 ms timer ticks, until the
// window is idle again; the longest interval between two ticks, in ms.
struct Gap {
    double wallMs = 0;  // the longest interval between two ticks
    double cpuMs = 0;   // the most processor time the GUI thread spent between two ticks
    double startMs = 0; // the command's own call, before it hands its work on
};

// The processor time of the calling thread, in ns.
long long ThreadCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

Gap GapDuring(TMainWindow& w, const std::function<void()>& command) {
    QEventLoop loop;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    long long lastCpu = ThreadCpuNs(), longestCpu = 0;
    bool started = false;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        const long long cpu = ThreadCpuNs();
        longest = std::max(longest, now - last);
        longestCpu = std::max(longestCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
        if (started && !w.busy() && !w.Background().Running()) loop.quit();
    });
    qint64 startNs = 0;
    QTimer::singleShot(0, &loop, [&] {
        const qint64 before = clock.nsecsElapsed();
        command();
        startNs = clock.nsecsElapsed() - before;
        started = true;
    });
    tick.start();
    loop.exec();
    return {longest / 1e6, longestCpu / 1e6, startNs / 1e6};
}

// Runs the event loop until the window is idle; returns the longest time
// between two turns of the loop (a 1 ms timer marks each turn).
double RunUntilIdle(TMainWindow& w) { return GapDuring(w, [] {}).wallMs; }

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
    for (auto _ : state) {
        w->OnLocusItem(kind);
        RunUntilIdle(*w);
    }
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


// One long command of the window on the default surface, set up before each run.
struct GapCommand {
    std::string name;
    int workers;
    std::function<void(TMainWindow&, ScriptedDialogs&)> prepare;  // untimed
    std::function<void(TMainWindow&)> run;
};

void PressPanel(TMainWindow& w, int x, int y) {
    QWidget* box = w.MainPanel().MainBox();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), box->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(x, y), box->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box, &release);
}

void PrintPage(ScriptedDialogs& d, int resolution, const QString& pdf) {
    d.configure = [resolution](TPageSetupDialog& form) {
        form.ColorBackCheck->setChecked(true);
        form.ResolutionEdit->setText(QString::number(resolution));
        return true;
    };
    d.setupPrinter = [pdf](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
        p.setPageSize(QPageSize(QPageSize::A4));
        return true;
    };
}

QString TempFile(const char* name) { return QDir::temp().filePath(QString::fromLatin1(name)); }

std::vector<GapCommand> GapCommands() {
    std::vector<GapCommand> list;
    const auto none = [](TMainWindow&, ScriptedDialogs&) {};
    list.push_back({"Enter", 2, none, [](TMainWindow& w) { w.OnEnterButton(); }});
    static const char* const kLoci[kLociCount] = {"Locus0", "Locus1", "Locus2", "Locus3",
                                                  "Locus4", "Locus5", "Locus6"};
    for (int k = 0; k < kLociCount; ++k)
        list.push_back({kLoci[k], 2, none, [k](TMainWindow& w) { w.OnLocusItem(k); }});
    // For comparison: the same trace and drawing on the GUI thread, as a
    // window that traced there would pause.
    for (int k : {2, 6})
        list.push_back({std::string(kLoci[k]) + "OnGuiThread", 2, none, [k](TMainWindow& w) {
                            w.Session().TraceLocus(static_cast<TLocusKind>(k));
                            DrawLocus(w.Session(), w.MainPanel().Canvas(), w.MainPanel().rctMain(), false,
                                      static_cast<TLocusKind>(k));
                        }});
    list.push_back({"BackgroundGauss", 2, none,
                    [](TMainWindow& w) { w.OnColorByFunction(static_cast<int>(TBackgroundType::GaussCurvature)); }});
    static const char* const kLines[kLineKinds] = {"", "Lines1", "Lines2", "Lines3",
                                                   "Lines4", "Lines5", "Lines6", "Lines7"};
    for (int c = 1; c < kLineKinds; ++c)
        list.push_back({kLines[c], 2,
                        [c](TMainWindow& w, ScriptedDialogs&) {
                            w.OnEraseCurves();
                            w.OnLineItem(c);
                        },
                        [](TMainWindow& w) { PressPanel(w, 150, 300); }});
    for (const int resolution : {1200, 5000})
        list.push_back({resolution == 1200 ? "PrintGauss1200" : "PrintGauss5000", 2,
                        [resolution](TMainWindow& w, ScriptedDialogs& d) {
                            w.OnColorByFunction(static_cast<int>(TBackgroundType::GaussCurvature));
                            while (w.busy() || w.Background().Running()) QApplication::processEvents();
                            PrintPage(d, resolution, TempFile("velmora-gap.pdf"));
                        },
                        [](TMainWindow& w) { w.OnPrint(); }});
    static const char* const kFormats[3] = {"png", "svg", "pdf"};
    for (const bool withBackground : {false, true})
        for (const char* format : kFormats) {
            const QString path = TempFile("velmora-gap.") + QString::fromLatin1(format);
            list.push_back({std::string("Export5000") + (withBackground ? "Gauss" : "") + format, 2,
                            [withBackground](TMainWindow& w, ScriptedDialogs&) {
                                w.OnLocusItem(static_cast<int>(TLocusKind::GaussCurvature));
                                while (w.busy()) QApplication::processEvents();
                                if (withBackground) {
                                    w.OnColorByFunction(static_cast<int>(TBackgroundType::GaussCurvature));
                                    while (w.busy() || w.Background().Running()) QApplication::processEvents();
                                }
                            },
                            [path](TMainWindow& w) { w.ExportImage(path, 5000); }});
        }
    return list;
}

void BM_WindowGap(benchmark::State& state, const GapCommand& command) {
    auto w = ReadyWindow(command.workers);
    auto scripted = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *scripted;
    w->SetDialogs(std::move(scripted));
    double maxGap = 0, maxCpu = 0, maxStart = 0;
    for (auto _ : state) {
        command.prepare(*w, dialogs);
        QElapsedTimer clock;
        clock.start();
        const Gap gap = GapDuring(*w, [&] { command.run(*w); });
        maxGap = std::max(maxGap, gap.wallMs);
        maxCpu = std::max(maxCpu, gap.cpuMs);
        maxStart = std::max(maxStart, gap.startMs);
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
    state.counters["gap_ms"] = maxGap;
    state.counters["gui_cpu_ms"] = maxCpu;
    state.counters["start_ms"] = maxStart;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    static const std::vector<velmora::GapCommand> gapCommands = velmora::GapCommands();
    for (const velmora::GapCommand& command : gapCommands)
        benchmark::RegisterBenchmark((std::string("BM_WindowGap/") + command.name).c_str(), velmora::BM_WindowGap,
                                     command)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
