#include "WindowFixture.h"

#include "formula/FormulaCompiler.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"

#include <QFontMetrics>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>

using namespace velmora;

namespace {

// 10 decimals after rounding to 14 significant digits, written independently
// of the window's formatter: printf rounds at the 10th decimal or at the 14th
// significant digit, whichever comes first, and the rest is padded with zeros.
QString Fixed10(double x) {
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.13e", x);
    const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
    const int decimals = std::min(10, 13 - exponent);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    std::string s = buf;
    if (decimals < 10) s += std::string(10 - decimals, '0');
    if (s == "-0.0000000000") s = "0.0000000000";
    return QString::fromStdString(s);
}

bool SameImage(const QImage& a, const QImage& b) { return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32); }

QImage WhitePanel() {
    QImage img(548, 548, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    return img;
}

class MainPanelTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ASSERT_TRUE(W().ReadData());
    }
};

}  // namespace

TEST_F(MainPanelTest, AMouseMoveShowsTheInvariantsOfThePixelsDomainPoint) {
    // An engine set of our own, built from the same texts.
    TFormulaCompiler parser;
    TEngineSet set;
    set.Build({kDefaultTexts[0], kDefaultTexts[1], kDefaultTexts[2], kDefaultTexts[3]}, parser);
    TLocalGeometry surface(set);

    for (auto [x, y] : {std::pair{300, 200}, std::pair{137, 411}, std::pair{547, 1}}) {
        MoveOverMainPanel(x, y);
        // U = [0, 2 pi] x [0, 2.2] on 548 pixels; the top-left pixel is (uMin, vMax).
        const double u = x * (2 * std::numbers::pi) / 548, v = (548 - y) * 2.2 / 548;
        TInvariants inv;
        ASSERT_TRUE(surface.ComputeInvariants({u, v}, inv));
        const auto rows = DataRows();
        const Vector2 p = W().FromWindowToR2(x, y);
        EXPECT_NEAR(p[0], u, 1e-13);
        EXPECT_NEAR(p[1], v, 1e-13);
        EXPECT_EQ(rows[0], "u =" + Fixed10(u));
        EXPECT_EQ(rows[1], "v =" + Fixed10(v));
        EXPECT_EQ(rows[2], "Maj Axis =" + Fixed10(inv.halfMajorAxis));
        EXPECT_EQ(rows[3], "Min Axis =" + Fixed10(inv.halfMinorAxis));
        EXPECT_EQ(rows[4], "Norm of H  =" + Fixed10(inv.longH));
        EXPECT_EQ(rows[5], "H depth =" + Fixed10(inv.depth));
        if (inv.alpha == UndefinedValue)
            EXPECT_EQ(rows[6], "Sin <(H,E) =");
        else
            EXPECT_EQ(rows[6], "Sin <(H,E) =" + Fixed10(inv.alpha));
        EXPECT_EQ(rows[7], "Gauss Curv =" + Fixed10(inv.KGauss));
        EXPECT_EQ(rows[8], "Discr Extr Norm Dev=" + Fixed10(inv.discrNormDev));
        EXPECT_EQ(rows[9], "Discr Extr Lat Dev=" + Fixed10(inv.discrLatDev));
        EXPECT_EQ(rows[10], "Discr Str Ppal Dirs=" + Fixed10(inv.discrStrPpal));
        // The list shows the label before "=" and the number after it.
        EXPECT_EQ(C().FunctionValues1->Label(4), "Norm of H  ");
        EXPECT_EQ(C().FunctionValues1->Value(0), Fixed10(u));
    }
}

TEST_F(MainPanelTest, ThePixelOfTheLastPressChangesNothing) {
    MoveOverMainPanel(210, 200);
    const auto before = DataRows();
    MoveOverMainPanel(200, 200);  // firstPt starts at (200, 200)
    EXPECT_EQ(DataRows(), before);
    MoveOverMainPanel(201, 200);
    EXPECT_NE(DataRows(), before);
}

TEST_F(MainPanelTest, DrawingTheCrossTwiceRestoresThePanel) {
    W().OnLineItem(1);  // curvature lines: four segments
    EXPECT_EQ(W().curvesParts(), 8);
    EXPECT_TRUE(C().lineItems[1]->isChecked());
    EXPECT_FALSE(C().lineItems[0]->isChecked());
    const QImage white = WhitePanel();
    MoveOverMainPanel(300, 250);
    ASSERT_TRUE(W().MainPanel().crossDrawn());
    const QImage withCross = W().MainPanel().MainBox()->Picture().copy();
    EXPECT_FALSE(SameImage(withCross, white));
    // The cross is drawn in the picker's colour around the pointer.
    const TColor color = picker->curveColor;
    int coloured = 0;
    for (int y = 200; y < 300; ++y)
        for (int x = 250; x < 350; ++x) coloured += ColourOfPixel(withCross.pixel(x, y)) == color;
    EXPECT_GT(coloured, 20);

    W().DrawCross();
    EXPECT_FALSE(W().MainPanel().crossDrawn());
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), white));
    W().DrawCross();
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), withCross));

    // A move removes the old cross before drawing the new one; leaving the
    // panel for the window removes it.
    MoveOverMainPanel(301, 251);
    MoveOverMainPanel(120, 400);
    MoveOver(W().centralWidget(), 560, 530);
    EXPECT_FALSE(W().MainPanel().crossDrawn());
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), white));
}

TEST_F(MainPanelTest, ACrossIsRemovedInTheColourItWasDrawnWith) {
    W().OnLineItem(3);
    MoveOverMainPanel(280, 260);
    ASSERT_TRUE(W().MainPanel().crossDrawn());
    picker->MouseMoveInMeter(Qt::LeftButton, 30, 5);  // another colour while the cross is shown
    W().OnLineItem(1);                                 // and another number of segments
    W().OnMouseMoveInForm();
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), WhitePanel()));
}

TEST_F(MainPanelTest, CoordinateLinesNeverDrawACross) {
    MoveOverMainPanel(300, 250);
    EXPECT_FALSE(W().MainPanel().crossDrawn());
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), WhitePanel()));
}

TEST_F(MainPanelTest, CtrlFreezesAndReleasesThePanels) {
    MoveOverMainPanel(300, 200);
    const auto tracked = DataRows();
    TapCtrl();
    EXPECT_TRUE(W().panelsFrozen());
    MoveOverMainPanel(320, 220);
    EXPECT_EQ(DataRows(), tracked);
    TapCtrl();
    EXPECT_FALSE(W().panelsFrozen());
    MoveOverMainPanel(320, 220);
    EXPECT_NE(DataRows(), tracked);
    // A Ctrl+letter shortcut leaves the freeze as it is, frozen or not.
    const auto ctrlLetter = [this](int key) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        QKeyEvent ctrl(QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier);
        QApplication::sendEvent(target, &ctrl);
        QKeyEvent letter(QEvent::ShortcutOverride, key, Qt::ControlModifier);
        QApplication::sendEvent(target, &letter);
        QKeyEvent letterUp(QEvent::KeyRelease, key, Qt::ControlModifier);
        QApplication::sendEvent(target, &letterUp);
        QKeyEvent ctrlUp(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QApplication::sendEvent(target, &ctrlUp);
    };
    ctrlLetter(Qt::Key_A);
    EXPECT_FALSE(W().panelsFrozen());
    PressKey(Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(W().panelsFrozen());
    TapCtrl();
    ctrlLetter(Qt::Key_S);
    EXPECT_TRUE(W().panelsFrozen());
    // A press on the panel releases.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(100, 100), W().MainPanel().MainBox()->mapToGlobal(QPointF(100, 100)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(W().MainPanel().MainBox(), &press);
    EXPECT_FALSE(W().panelsFrozen());
    EXPECT_EQ(W().MainPanel().firstPt(), QPoint(100, 100));
}

TEST_F(MainPanelTest, UpAndDownScaleTheFocalConic) {
    for (int i = 0; i < 3; ++i) PressKey(Qt::Key_Up);
    EXPECT_DOUBLE_EQ(W().EllipsePanel().ellFactor(), 3.375);
    PressKey(Qt::Key_Down);
    EXPECT_DOUBLE_EQ(W().EllipsePanel().ellFactor(), 3.375 * 0.7);
    EXPECT_FALSE(W().OnKeyDownInForm(Qt::Key_Left, Qt::NoModifier, false));
    W().ReadData();
    EXPECT_DOUBLE_EQ(W().EllipsePanel().ellFactor(), 1.0);
}

TEST_F(MainPanelTest, CtrlZErasesTheLastStoredCurveAndRepaints) {
    W().OnLineItem(1);
    MoveOverMainPanel(300, 250);
    const QImage withCross = W().MainPanel().MainBox()->Picture().copy();
    // No curve stored: nothing happens, not even a repaint.
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(SameImage(W().MainPanel().MainBox()->Picture(), withCross));

    // Two stored curves; Ctrl+Z removes the second and repaints from the
    // stores (the cross, which is not stored, goes too).
    TDrawingStores& stores = W().Session().Stores();
    for (TColor c : {TColor(0x0000FF), TColor(0xFF0000)}) {
        const double v = c == 0xFF ? 0.5 : 1.5;
        stores.AddLineSegment({1.0, v}, 1, c);
        stores.AddLineSegment({5.0, v}, 0, c);
    }
    PressKey(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(stores.lines().size(), 1u);
    EXPECT_FALSE(W().MainPanel().crossDrawn());
    const QImage& img = W().MainPanel().MainBox()->Picture();
    const Vector2Int red = W().FromR2toWindow({3.0, 0.5});
    const Vector2Int blue = W().FromR2toWindow({3.0, 1.5});
    EXPECT_EQ(ColourOfPixel(img.pixel(red.x, red.y)), 0x0000FFu);
    EXPECT_EQ(ColourOfPixel(img.pixel(blue.x, blue.y)), clWhite);
}

TEST_F(MainPanelTest, RepaintDrawsTheBackgroundThenLociThenCurves) {
    W().MainPanel().bm().fill(PixelOfColour(0x223344));
    // A locus of two pieces: a knot with key 1 starts a new piece.
    TDrawingStores& stores = W().Session().Stores();
    stores.BeginLocus(TLocusKind::AngleHMajorAxis);
    stores.AddLocusSegment({1.0, 1.0}, 1);
    stores.AddLocusSegment({2.0, 1.0}, 0);
    stores.AddLocusSegment({4.0, 1.0}, 1);
    stores.AddLocusSegment({5.0, 1.0}, 0);
    stores.AddCoordinatePoint({3.0, 0.3});
    W().OnPaint();
    const QImage& img = W().MainPanel().MainBox()->Picture();
    const auto at = [&](double u, double v) {
        const Vector2Int p = W().FromR2toWindow({u, v});
        return ColourOfPixel(img.pixel(p.x, p.y));
    };
    EXPECT_EQ(at(1.5, 1.0), 0xC0C0C0u);
    EXPECT_EQ(at(3.5, 1.0), 0x223344u);  // no line joins the two pieces
    EXPECT_EQ(at(4.5, 1.0), 0xC0C0C0u);
    EXPECT_EQ(at(3.0, 2.0), 0xCCCCCCu);  // the vertical coordinate line
    EXPECT_EQ(at(0.2, 0.3), 0xCCCCCCu);  // the horizontal one
    EXPECT_EQ(at(0.2, 2.0), 0x223344u);
}

TEST_F(WindowTest, AShiftDragDrawsAVectorAndItsOrthogonalPartner) {
    // A plane with the Euclidean metric in (u, v) on the unit square: cX = cY.
    const char* texts[8] = {"u", "v", "0", "0", "0", "1", "0", "1"};
    QLineEdit* const edits[8] = {C().xEdit, C().yEdit, C().zEdit, C().wEdit,
                                 C().uMinEdit, C().uMaxEdit, C().vMinEdit, C().vMaxEdit};
    for (int i = 0; i < 8; ++i) edits[i]->setText(texts[i]);
    ASSERT_TRUE(W().ReadData());
    const auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButton b, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(x, y), W().MainPanel().MainBox()->mapToGlobal(QPointF(x, y)), b, held, Qt::ShiftModifier);
        QApplication::sendEvent(W().MainPanel().MainBox(), &e);
    };
    send(QEvent::MouseButtonPress, 100, 300, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(W().MainPanel().drawOrthonLine());
    send(QEvent::MouseMove, 150, 300, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, 200, 300, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, 200, 300, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(W().MainPanel().drawOrthonLine());
    const QImage& img = W().MainPanel().MainBox()->Picture();
    int along = 0, up = 0, elsewhere = 0;
    for (int y = 0; y < 548; ++y)
        for (int x = 0; x < 548; ++x) {
            const TColor c = ColourOfPixel(img.pixel(x, y));
            if (c == clWhite) continue;
            if (c != clGreen) ++elsewhere;
            else if (y == 300 && x >= 100 && x < 200) ++along;
            else if (x == 100 && y > 200 && y < 300) ++up;
            else ++elsewhere;
        }
    EXPECT_EQ(along, 100);  // the first vector, drawn for good
    EXPECT_EQ(up, 99);      // the second one, of the same length along +v
    EXPECT_EQ(elsewhere, 0);  // the rubber band left nothing behind
}

TEST_F(MainPanelTest, EveryValueIsReadableInFullAndUndefinedOnesShowTheirLabelAlone) {
    TValueList* list = C().FunctionValues1;
    const QFont usual = list->item(0, 1)->font();
    W().ShowData({1.5, 0.25}, UndefinedValue, 0.5, -12345678901234.0, UndefinedValue, 0.25, 2.5e300, -1.1127553519953e15,
                 UndefinedValue, UndefinedValue);
    EXPECT_EQ(list->RowText(2), "Maj Axis =");
    EXPECT_EQ(list->RowText(5), "H depth =");
    EXPECT_EQ(list->RowText(9), "Discr Extr Lat Dev=");
    EXPECT_EQ(list->RowText(10), "Discr Str Ppal Dirs=");
    EXPECT_EQ(list->Value(4), "-12345678901234.0000000000");
    EXPECT_EQ(list->Value(8), "-1.1127553519953E15");
    for (int row = 0; row < 11; ++row) {
        const QTableWidgetItem* value = list->item(row, 1);
        EXPECT_EQ(value->text(), list->Value(row));
        EXPECT_LE(QFontMetrics(value->font()).horizontalAdvance(value->text()), list->ValueRoom()) << row;
    }
    // Values that fit keep the list's font.
    EXPECT_EQ(list->item(0, 1)->font(), usual);
    EXPECT_LT(list->item(4, 1)->font().pixelSize(), usual.pixelSize());
}

TEST_F(MainPanelTest, ReturnInAnyFieldPressesEnter) {
    const auto edits = C().InputEdits();
    for (int i = 0; i < 8; ++i) {
        for (QLineEdit* e : edits) e->setText(e->text().trimmed() + "  ");
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(edits[i], &key);
        for (QLineEdit* e : edits) EXPECT_FALSE(e->text().endsWith(' ')) << i;  // read: trimmed
    }
    edits[uMaxField]->setText("-1");
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Enter, Qt::NoModifier);
    QApplication::sendEvent(edits[vMinField], &key);
    EXPECT_EQ(W().InfoText(), "Error reading an edit field: uMax: The minimum of 'u' must be less than its maximum");
}

TEST_F(MainPanelTest, UpAndDownAfterClickingEnterScaleTheConicAndKeepTheFocus) {
    W().show();
    W().activateWindow();
    C().EnterButton->setFocus();
    QApplication::processEvents();
    if (QApplication::focusWidget() != C().EnterButton) GTEST_SKIP() << "no keyboard focus on this platform";
    C().EnterButton->click();
    PressKey(Qt::Key_Up);
    PressKey(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), C().EnterButton);
    for (QLineEdit* e : C().InputEdits()) EXPECT_FALSE(e->hasSelectedText());
    EXPECT_DOUBLE_EQ(W().EllipsePanel().ellFactor(), 1.5 * 0.7);
}
