// The Foliations menu and presses on the main panel: the kind of line a
// click traces, the foliation filter, the coordinate lines through a clicked
// point, the integral curves through it (stored in the session and drawn as
// they are traced), the Shift-drag of an orthogonal basis, and erasing.
#include "app/MainWindow.h"

#include "app/PanelLineTrace.h"
#include "app/ResourceStrings.h"

namespace velmora {

void TMainWindow::OnLineItem(int tag) {
    if (busy()) return;
    const TLineClass previous = linesOption_;
    linesOption_ = LineClassOfTag(tag);
    curvesParts_ = HalfBranches(linesOption_);
    ManageMenus();
    // Special points shown are those of the chosen class.
    if (ui.ShowSpecialPoints1->isChecked() && linesOption_ != previous) StartSpecialPoints();
}

void TMainWindow::OnShowFoliations(int tag) {
    QAction* item = tag == 16 ? ui.ShowFoliationOne1 : tag == 17 ? ui.ShowFoliationTwo1 : nullptr;
    if (!item) return;
    item->setChecked(!item->isChecked());
    showFoliations_ = static_cast<uint8_t>(2 * (ui.ShowFoliationTwo1->isChecked() ? 1 : 0) +
                                          (ui.ShowFoliationOne1->isChecked() ? 1 : 0));
}

void TMainWindow::OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y) {
    if (busy() || !session.alreadyParsed()) return;
    SetInfoText(QString());
    mainPanel.Press(QPoint(X, Y), (shift & Qt::ShiftModifier) != 0);
    panelsFrozen_ = false;
    const Vector2 p = FromWindowToR2(X, Y);
    BeginWatch();
    if (!mainPanel.drawOrthonLine()) {
        if (linesOption_ == TLineClass::CoordinateLines) {
            session.Stores().AddCoordinatePoint(p);
            mainPanel.DrawCoordinateLines(p, session.Map());
        } else {
            if (mainPanel.crossDrawn()) DrawCross();
            TPanelLineTrace shown(
                mainPanel, session.Map(), [this] { return CurveColor(); },
                [this](const QString& text) { SetInfoText(text); });
            const auto outcome = session.TraceLines(curvesParts_, linesOption_, p, showFoliations_, shown.Target(),
                                                    watch->StopToken());
            if (outcome) SetInfoText(LineTraceStatus(*outcome));
        }
    }
    EndWatch();
}

void TMainWindow::OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y) {
    if (panelsFrozen_ || busy() || !session.alreadyParsed()) return;
    watch->SetEnterButton(QString::fromLatin1(res::Enter), clNavy);
    mainPanel.FinishDrag(QPoint(X, Y), session.Surface(), session.Map());
}

void TMainWindow::OnEraseCurves() {
    if (busy() || !session.alreadyParsed()) return;
    session.Stores().InitializeLines();  // the coordinate lines go with the curves
    OnPaint();                           // the background and the loci
}

}  // namespace velmora
