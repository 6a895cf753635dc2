// The main panel (the domain U) and the data panel: evaluating the geometry
// under the pointer, the direction cross, the freeze of the panels, the keys
// and the repaint from stored data.
#include "app/MainWindow.h"

#include "app/NumberFormat.h"
#include "app/ResourceStrings.h"
#include "app/SurfaceWindow.h"
#include "app/ValueList.h"
#include "canvas/LayerDrawing.h"
#include "canvas/PointMarkers.h"

#include <QString>

#include <cstdlib>
#include <exception>

namespace velmora {

namespace {

// A marker lies under the pointer within this many pixels of its centre.
constexpr int kMarkerReach = TMainPanel::kMarkerRadius + 1;

}  // namespace

void TMainWindow::OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X, int Y) {
    if (busy() || panelsFrozen_ || !session.alreadyParsed()) return;
    const QPoint first = mainPanel.firstPt();
    const int d = std::abs(first.x() - X) + std::abs(first.y() - Y);
    if (d == 0) return;
    if (buttons & Qt::LeftButton) {
        mainPanel.DragTo(QPoint(X, Y));
        return;
    }
    ShowPointUnderMouse(X, Y);
}

void TMainWindow::ShowPointUnderMouse(int X, int Y) { ShowPointAt(FromWindowToR2(X, Y)); }

void TMainWindow::ShowPointAt(const Vector2& p) {
    if (surfaceWindow_ && surfaceWindow_->isVisible()) surfaceWindow_->SetMousePoint(p);
    TPointProbe probe;
    try {
        // A cross left from another line kind goes before anything is evaluated.
        if (mainPanel.crossDrawn()) DrawCross();
        probe = session.Probe(p, linesOption_);
        if (probe.CrossShown()) {
            mainPanel.SetCross(probe.cross, session.Map());
            if (probe.cross.curvesParts >= 0) curvesParts_ = probe.cross.curvesParts;
            DrawCross();
        }
    } catch (const std::exception&) {
        // The geometry answers with missing values where it fails; anything
        // else that escapes is treated the same way: the panels keep their content.
        return;
    }
    // Over the marker of a special point the data panel lists the point.
    const TRectMap pixels(session.Map(), mainPanel.rctMain());
    if (const TSpecialPoint* hit =
            SpecialPointAt(session, mainPanel.rctMain(), QPoint(pixels.X(p), pixels.Y(p)), kMarkerReach)) {
        ShowSpecialPointData(*hit);
        return;
    }
    const TInvariants* values = probe.Shown();
    if (!values) return;
    const TInvariants& inv = *values;
    ShowData(p, inv.halfMajorAxis, inv.halfMinorAxis, inv.longH, inv.depth, inv.alpha, inv.KGauss,
             inv.discrNormDev, inv.discrLatDev, inv.discrStrPpal);
    ellipsePanel.ComputeEllipse(*probe.frame);
    ellipsePanel.DrawEllipse();
}

void TMainWindow::ShowData(const Vector2& param, double halfMajorAxis, double halfMinorAxis, double lengthH,
                         double depth, double alpha, double gaussCurvature, double discrNormDev, double discrLatDev,
                         double discrStrPpal) {
    TValueList* list = ui.FunctionValues1;
    // An undefined value shows as its label alone.
    const auto row = [list](int i, const char* label, double value) {
        QString text = QString::fromLatin1(label);
        if (value != UndefinedValue) text += QString::fromStdString(DataPanelNumber(value));
        list->SetRow(i, text);
    };
    row(0, "u =", param[0]);
    row(1, "v =", param[1]);
    row(2, "Maj Axis =", halfMajorAxis);
    row(3, "Min Axis =", halfMinorAxis);
    row(4, "Norm of H  =", lengthH);
    row(5, "H depth =", depth);
    row(6, "Sin <(H,E) =", alpha);
    row(7, "Gauss Curv =", gaussCurvature);
    row(8, "Discr Extr Norm Dev=", discrNormDev);
    row(9, "Discr Extr Lat Dev=", discrLatDev);
    row(10, "Discr Str Ppal Dirs=", discrStrPpal);
    list->viewport()->update();
}

void TMainWindow::DrawCross() { mainPanel.DrawCross(CurveColor(), curvesParts_); }

void TMainWindow::OnMouseMoveInForm() {
    if (mainPanel.crossDrawn()) DrawCross();
}

bool TMainWindow::OnKeyDownInForm(int key, Qt::KeyboardModifiers shift, bool /*autoRepeat*/) {
    if (busy() || !session.alreadyParsed()) return false;
    // Ctrl+Z erases the last curve. The Ctrl key alone freezes the panels
    // when it is released with nothing pressed meanwhile (OnCtrlTap), so that
    // Ctrl+O and the other shortcuts leave the freeze as it is.
    const bool ctrl = (shift & Qt::ControlModifier) || key == Qt::Key_Control;
    if (ctrl) {
        if (key != Qt::Key_Z) return false;
        if (session.Stores().EraseLastLine()) OnPaint();
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        ellipsePanel.ScaleFocalConic(key == Qt::Key_Up ? 1.5 : 0.7);
        ellipsePanel.DrawEllipse();
        return true;
    }
    return false;
}

void TMainWindow::OnPaint() { mainPanel.Repaint(session); }

void TMainWindow::MoveInEllipsePanel(int X, int Y) {
    if (!panelsFrozen_ || !session.alreadyParsed() || busy()) return;
    ellipsePanel.MoveInEllipsePanel(X, Y);
}

}  // namespace velmora
