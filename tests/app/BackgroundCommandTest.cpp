// The Backgrounds menu in the window: the workers' bands, the picture on the
// panel, Stop, the restart rule, commands while the workers run, a start that
// finds nothing to colour, a page's background, and closing while busy.
#include "ExpectedBackground.h"
#include "WindowFixture.h"

#include "background/BackgroundThreads.h"
#include "platform/Platform.h"

#include <QPushButton>

#include <array>
#include <atomic>
#include <memory>
#include <string>

using namespace velmora;

namespace {

class BackgroundTest : public WindowTest {
protected:
    void Start(int numOfCPU) {
        CreateWindow(numOfCPU);
        ASSERT_TRUE(ReadSurface(kSurface));
    }
    TColor BmPixel(int x, int y) const { return ColourOfPixel(window->MainPanel().bm().pixel(x, y)); }
    bool RowIsWhite(int y) const {
        for (int x = 0; x < 548; ++x)
            if (BmPixel(x, y) != clWhite) return false;
        return true;
    }
    void ExpectRowColoured(int y, TBackgroundType type) {
        for (int x : {0, 137, 300, 547}) {
            EXPECT_EQ(BmPixel(x, y), expected.At(type, x, y)) << x << "," << y;
            EXPECT_EQ(PanelPixel(x, y), expected.At(type, x, y)) << x << "," << y;
        }
    }
    ExpectedBackground expected;
};

TEST_F(BackgroundTest, OneWorkerPerProcessorOnRowBandsThatCoverThePanel) {
    using Bands = std::vector<std::pair<int, int>>;
    const auto bands = [this] {
        Bands b;
        for (const TRowBand& r : W().Background().Bands()) b.emplace_back(r.firstRow, r.lastRow);
        return b;
    };
    Start(4);
    W().OnColorByFunction(3);
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    EXPECT_EQ(bands(), (Bands{{0, 136}, {137, 273}, {274, 410}, {411, 547}}));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_EQ(W().InfoText(), "");
    for (int y : {0, 136, 137, 273, 274, 410, 411, 547}) ExpectRowColoured(y, TBackgroundType::GaussCurvature);

    Start(1);
    W().OnColorByFunction(3);
    EXPECT_EQ(bands(), (Bands{{0, 547}}));
    ASSERT_TRUE(WaitUntilIdle());
    for (int y : {0, 200, 547}) ExpectRowColoured(y, TBackgroundType::GaussCurvature);
}

TEST_F(BackgroundTest, TheMenuChecksTheLastChosenBackgroundAndEraseTakesItAway) {
    Start(2);
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    C().backgroundItems[0]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    for (QAction* a : C().backgroundItems) EXPECT_EQ(a->isChecked(), a == C().backgroundItems[0]);
    ExpectRowColoured(100, TBackgroundType::OriginDepth);
    // The same item again after the other one: computed anew.
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    for (QAction* a : C().backgroundItems) EXPECT_EQ(a->isChecked(), a == C().backgroundItems[3]);
    EXPECT_EQ(W().backgroundType(), TBackgroundType::GaussCurvature);
    ExpectRowColoured(100, TBackgroundType::GaussCurvature);

    C().EraseBackground1->trigger();
    for (QAction* a : C().backgroundItems) EXPECT_FALSE(a->isChecked());
    EXPECT_FALSE(W().backgroundType().has_value());
    EXPECT_EQ(CountPanelPixels(clWhite), 548 * 548);
}

TEST_F(BackgroundTest, StopLeavesWholeRowsAndTheButtonReadsEnterAgain) {
    Start(1);
    W().OnColorByFunction(3);
    ASSERT_TRUE(RunEventsUntil([this] { return W().Background().RowsDone() >= 20; }));
    C().EnterButton->click();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_TRUE(W().stop());
    const int done = W().Background().RowsDone();
    ASSERT_LT(done, 548) << "the worker finished before Stop";
    EXPECT_EQ(W().InfoText(), QStringLiteral("Background: %1 of 548 rows").arg(done));
    // The rows finished before Stop, complete; nothing after them.
    for (int y = 0; y < done; y += 7) ExpectRowColoured(y, TBackgroundType::GaussCurvature);
    ExpectRowColoured(done - 1, TBackgroundType::GaussCurvature);
    for (int y = done; y < 548; ++y) ASSERT_TRUE(RowIsWhite(y)) << y;
    for (int x = 0; x < 548; x += 13) EXPECT_EQ(PanelPixel(x, done), clWhite);
}

TEST_F(BackgroundTest, AStartWhileWorkersRunOnlyStopsThem) {
    Start(2);
    W().OnColorByFunction(3);
    ASSERT_TRUE(W().Background().Running());
    const int workers = W().Background().thrNumber();
    EXPECT_TRUE(W().ColorByFunction(W().MainPanel().bm()));
    EXPECT_EQ(W().Background().thrNumber(), workers);  // no new workers
    EXPECT_TRUE(W().busy());
    EXPECT_EQ(C().EnterButton->text(), "Stop");
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(C().EnterButton->text(), "Enter");
    EXPECT_LT(W().Background().RowsDone(), 548);
    // The window is usable again.
    W().OnColorByFunction(3);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().Background().RowsDone(), 548);
}

TEST_F(BackgroundTest, NothingRebuildsTheEnginesOrTouchesTheBackgroundWhileWorkersRun) {
    Start(1);
    W().OnColorByFunction(3);
    // Even with the watch left early (as a page background allows), the
    // workers' engines and picture stay theirs.
    W().EndWatch();
    C().xEdit->setText("u + v");
    EXPECT_FALSE(W().ReadData());
    EXPECT_EQ(W().Session().InputText(0), "u");
    C().EnterButton->click();  // "Enter" while the workers run reads nothing either
    EXPECT_EQ(W().Session().InputText(0), "u");
    C().EraseBackground1->trigger();
    C().backgroundItems[0]->trigger();
    EXPECT_EQ(W().backgroundType(), TBackgroundType::GaussCurvature);
    for (QAction* a : C().backgroundItems) EXPECT_EQ(a->isChecked(), a == C().backgroundItems[3]);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().Background().RowsDone(), 548);
    ExpectRowColoured(547, TBackgroundType::GaussCurvature);

    // While busy, the other commands do nothing either.
    W().OnColorByFunction(3);
    C().lociItems[3]->trigger();
    C().lineItems[1]->trigger();
    ClickMainPanel(200, 200);
    EXPECT_TRUE(W().Session().Stores().loci()[3].empty());
    EXPECT_EQ(W().linesOption(), TLineClass::CoordinateLines);
    EXPECT_TRUE(W().Session().Stores().coordLines().empty());
    ASSERT_TRUE(WaitUntilIdle());
}

TEST_F(BackgroundTest, AStartWithNothingToColourLeavesTheWindowIdle) {
    Start(2);
    QImage none;
    EXPECT_FALSE(W().ColorByFunction(none));  // no background chosen
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    QImage mono(100, 100, QImage::Format_Mono);
    for (QImage* target : {&none, &mono}) {
        EXPECT_FALSE(W().ColorByFunction(*target));
        EXPECT_FALSE(W().busy());
        EXPECT_FALSE(W().Background().Running());
        EXPECT_EQ(C().EnterButton->text(), "Enter");
    }
    C().lociItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_GT(W().Session().Stores().loci()[3].size(), 3u);
}

// Refuses the second thread start from now on, and no other.
class SecondThreadRefused {
public:
    SecondThreadRefused() {
        starts_.store(0);
        SetThreadStartHook(&Hook);
    }
    ~SecondThreadRefused() { SetThreadStartHook(nullptr); }
    SecondThreadRefused(const SecondThreadRefused&) = delete;
    SecondThreadRefused& operator=(const SecondThreadRefused&) = delete;

private:
    static bool Hook() { return starts_.fetch_add(1) != 1; }
    static inline std::atomic<int> starts_{0};
};

TEST_F(BackgroundTest, AWorkerThatCannotStartLeavesTheWindowIdleAndUsable) {
    Start(2);
    {
        SecondThreadRefused refused;
        C().backgroundItems[3]->trigger();
        // The first worker was stopped and waited for; nothing runs.
        EXPECT_FALSE(W().busy());
        EXPECT_FALSE(W().Background().Running());
        EXPECT_EQ(C().EnterButton->text(), "Enter");
        EXPECT_TRUE(W().InfoText().startsWith("The background could not be started: ")) << W().InfoText().toStdString();
        // Its end, queued before it was stopped, changes nothing.
        QApplication::processEvents();
        EXPECT_FALSE(W().busy());
    }
    // Every command works again: a locus, and the background itself.
    C().lociItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_GT(W().Session().Stores().loci()[3].size(), 3u);
    C().backgroundItems[3]->trigger();
    EXPECT_TRUE(W().busy());
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(W().Background().RowsDone(), 548);
    ExpectRowColoured(300, TBackgroundType::GaussCurvature);
}

TEST_F(BackgroundTest, APageBackgroundCallsThePageHandlerAndLeavesThePanelAlone) {
    Start(2);
    C().backgroundItems[3]->trigger();
    ASSERT_TRUE(WaitUntilIdle());
    const QImage panel = W().MainPanel().MainBox()->Picture().copy();
    int pages = 0;
    bool busyInHandler = false;
    // The page's handler ends the watch once the page is drawn.
    W().SetPageBackgroundFinished([&] {
        ++pages;
        busyInHandler = W().busy();
        W().EndWatch();
    });
    W().SetPrintingBackground(true);
    QImage page(120, 90, QImage::Format_RGB32);
    ASSERT_TRUE(W().ColorByFunction(page));
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(busyInHandler);
    EXPECT_FALSE(W().printingBackground());
    for (auto [x, y] : {std::pair{0, 0}, std::pair{119, 89}, std::pair{60, 45}})
        EXPECT_EQ(ColourOfPixel(page.pixel(x, y)), expected.At(TBackgroundType::GaussCurvature, x, y, 120, 90));
    EXPECT_EQ(W().MainPanel().MainBox()->Picture(), panel);
}

TEST_F(BackgroundTest, ClosingOrDestroyingTheWindowWhileWorkersRunStopsThem) {
    Start(2);
    W().show();
    W().OnColorByFunction(3);
    ASSERT_TRUE(W().Background().Running());
    W().close();
    EXPECT_FALSE(W().isVisible());
    EXPECT_LT(W().Background().RowsDone(), 548);
    // The ends handed over before the window goes are handled, or dropped with it.
    QApplication::processEvents();
    DestroyWindow();

    Start(2);
    W().OnColorByFunction(0);
    DestroyWindow();
}

}  // namespace
