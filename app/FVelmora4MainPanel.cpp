// The main panel (the domain U) and the data panel: evaluating the geometry
// under the pointer, the direction cross, the freeze of the panels, the keys,
// presses on the panel and the repaint from stored data.
#include "app/FVelmora4.h"

#include "app/NumberFormat.h"
#include "app/ValueList.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <exception>

namespace velmora {

void TVelmora4::OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int X, int Y) {
    if (busy || lockPtData || !alreadyParsed) return;
    const int d = std::abs(firstPt.x() - X) + std::abs(firstPt.y() - Y);
    if (d == 0) return;
    if (buttons & Qt::LeftButton) {
        if (drawOrthonLine) {
            // Move the rubber band: XOR off the old one, XOR on the new one.
            TCanvas& c = MainBox->Canvas();
            c.penMode = TPenMode::pmXor;
            c.MoveTo(firstPt.x(), firstPt.y());
            c.LineTo(lastPt.x(), lastPt.y());
            c.MoveTo(firstPt.x(), firstPt.y());
            c.LineTo(X, Y);
            c.penMode = TPenMode::pmCopy;
        }
        lastPt = QPoint(X, Y);
        return;
    }
    DoNoEvent(X, Y);
}

void TVelmora4::DoNoEvent(int X, int Y) {
    const Vector2 p = FromWindowToR2(X, Y);
    TInvariants inv;
    bool ok = false;
    try {
        // A cross left from another line kind goes before anything is evaluated.
        if (crossDrawn) DrawCross();
        if (linesOption == 0 && surface->ComputeInvariants(p, inv)) {
            ok = true;
        } else {
            if (crossDrawn) DrawCross();
            TDirectionCross found;
            if (surface->ComputeCross(p, LineClassOfTag(linesOption), map.span2D, inv, found)) {
                const int n = std::clamp(found.count, 0, static_cast<int>(cross.size()));
                for (int j = 0; j < n; ++j) {
                    const Vector2Int a = FromR2toWindow(found.segments[j].first);
                    const Vector2Int b = FromR2toWindow(found.segments[j].second);
                    cross[j] = {a.x, a.y, b.x, b.y};
                }
                if (found.curvesParts >= 0) curvesParts = found.curvesParts;
                DrawCross();
                ok = true;
            } else {
                ok = surface->ComputeInvariants(p, inv);
            }
        }
    } catch (const std::exception&) {
        // The geometry answers false where it fails; anything else that
        // escapes is treated the same way: the panels keep their content.
        ok = false;
    }
    if (!ok) return;
    ShowData(p, inv.halfMajorAxis, inv.halfMinorAxis, inv.longH, inv.depth, inv.alpha, inv.KGauss,
             inv.discrNormDev, inv.discrLatDev, inv.discrStrPpal);
    ComputeEllipse();
    DrawEllipse();
}

void TVelmora4::ShowData(const Vector2& param, double halfMajorAxis, double halfMinorAxis, double lengthH,
                         double depth, double alpha, double KGAuss, double discrNormDev, double discrLatDev,
                         double discrStrPpal) {
    const auto row = [this](int i, const char* label, double value) {
        FunctionValues1->SetRow(i, QString::fromLatin1(label) + QString::fromStdString(DataPanelNumber(value)));
    };
    row(0, "u =", param[0]);
    row(1, "v =", param[1]);
    row(2, "Maj Axis =", halfMajorAxis);
    row(3, "Min Axis =", halfMinorAxis);
    row(4, "Norm of H  =", lengthH);
    row(5, "H depth =", depth);
    if (alpha == UndefinedValue)
        FunctionValues1->SetRow(6, QStringLiteral("Sin <(H,E) ="));
    else
        row(6, "Sin <(H,E) =", alpha);
    row(7, "Gauss Curv =", KGAuss);
    row(8, "Discr Extr Norm Dev=", discrNormDev);
    row(9, "Discr Extr Lat Dev=", discrLatDev);
    row(10, "Discr Str Ppal Dirs=", discrStrPpal);
    FunctionValues1->viewport()->update();
}

void TVelmora4::DrawCross() {
    TCanvas& c = MainBox->Canvas();
    if (crossDrawn) {
        // Remove exactly what is on the panel: the same segments in the same
        // colour, even if the line kind or the picker colour changed since.
        c.penColor = drawnCross.color;
        c.penMode = TPenMode::pmNotXor;
        c.penWidth = 1;
        for (int i = 0; i < drawnCross.count; ++i) {
            const TCrossSegment& s = drawnCross.segments[i];
            c.MoveTo(s.x1, s.y1);
            c.LineTo(s.x2, s.y2);
        }
        crossDrawn = false;
        return;
    }
    c.penColor = CurveColor();
    const int n = std::min(curvesParts / 2, static_cast<int>(cross.size()));
    if (n <= 0) return;
    c.penMode = TPenMode::pmNotXor;
    c.penWidth = 1;
    for (int i = 0; i < n; ++i) {
        c.MoveTo(cross[i].x1, cross[i].y1);
        c.LineTo(cross[i].x2, cross[i].y2);
    }
    drawnCross.color = c.penColor;
    drawnCross.count = n;
    std::copy(cross.begin(), cross.begin() + n, drawnCross.segments.begin());
    crossDrawn = true;
}

void TVelmora4::OnMouseMoveInForm() {
    if (crossDrawn) DrawCross();
}

bool TVelmora4::OnKeyDownInForm(int key, Qt::KeyboardModifiers shift, bool autoRepeat) {
    if (busy || !alreadyParsed) return false;
    const bool ctrl = (shift & Qt::ControlModifier) || key == Qt::Key_Control;
    if (ctrl) {
        if (key == Qt::Key_Z) {
            if (EraseLastLine()) OnPaint();
        } else if (!(key == Qt::Key_Control && autoRepeat)) {
            lockPtData = !lockPtData;
        }
        return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        ellFactor *= key == Qt::Key_Up ? 1.5 : 0.7;
        DrawEllipse();
        return true;
    }
    return false;
}

void TVelmora4::OnPaint() {
    MainBox->Canvas().Draw(0, 0, bm);
    crossDrawn = false;
    RedrawLoci();
    DrawLines(MainBox->Canvas(), rctMain);
}

void TVelmora4::OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y) {
    if (busy || !alreadyParsed) return;
    SetInfoText(QString());
    firstPt = lastPt = QPoint(X, Y);
    drawOrthonLine = (shift & Qt::ShiftModifier) != 0;
    lockPtData = false;
    TCanvas& c = MainBox->Canvas();
    if (drawOrthonLine) {
        c.penColor = clGreen;
        c.penMode = TPenMode::pmNotXor;
        c.MoveTo(X, Y);
        c.LineTo(X, Y);
        c.penMode = TPenMode::pmCopy;
    }
    const Vector2 p = FromWindowToR2(X, Y);
    BeginWatch();
    if (!drawOrthonLine && linesOption == 0) DrawCoordinateLines(c, p);
    // Presses with a line family chosen start the integral curves through p;
    // the tracers are wired to the window through its tracer host.
    EndWatch();
}

void TVelmora4::OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int X, int Y) {
    if (lockPtData || busy || !alreadyParsed) return;
    SetEnterButton(QStringLiteral("Enter"), clNavy);
    if (!drawOrthonLine) return;
    TCanvas& c = MainBox->Canvas();
    c.penColor = clGreen;
    c.penMode = TPenMode::pmXor;
    c.MoveTo(firstPt.x(), firstPt.y());
    c.LineTo(lastPt.x(), lastPt.y());
    c.penMode = TPenMode::pmCopy;
    c.MoveTo(firstPt.x(), firstPt.y());
    c.LineTo(lastPt.x(), lastPt.y());
    DrawOrthogonalVector(firstPt, QPoint(X, Y), FromWindowToR2(firstPt.x(), firstPt.y()));
    c.penMode = TPenMode::pmCopy;
    drawOrthonLine = false;
}

void TVelmora4::DrawOrthogonalVector(QPoint first, QPoint last, const Vector2& param) {
    surface->ComputeFff(param);
    const double guu = surface->guu, guv = surface->guv, gvv = surface->gvv;
    const double a = std::sqrt(std::fabs(guu * gvv - guv * guv));
    if (!(a >= 1e-10)) return;
    // The first vector in parameter units, turned by a positive right angle in
    // the metric of the surface (same metric length).
    const double du = (last.x() - first.x()) / map.cX;
    const double dv = (first.y() - last.y()) / map.cY;
    const double wu = -(guv * du + gvv * dv) / a;
    const double wv = (guu * du + guv * dv) / a;
    TCanvas& c = MainBox->Canvas();
    c.MoveTo(first.x(), first.y());
    c.LineTo(first.x() + RoundHalfEven(wu * map.cX), first.y() - RoundHalfEven(wv * map.cY));
}

}  // namespace velmora
