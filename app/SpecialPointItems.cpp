// Show Special Points (in the Foliations menu): the search for the special
// points of the chosen line class, and the data panel's list of the point
// under the pointer.
#include "app/MainWindow.h"

#include "app/NumberFormat.h"
#include "app/ValueList.h"

#include <QAction>

#include <cmath>

namespace velmora {

namespace {

// An index as the fraction it is (+1/4, -1/2, ...), else as a number.
QString IndexText(double index) {
    for (const int denominator : {4, 2, 1}) {
        const double numerator = index * denominator;
        if (std::fabs(numerator - std::round(numerator)) < 1e-9) {
            const int n = static_cast<int>(std::round(numerator));
            const QString sign = n > 0 ? QStringLiteral("+") : QString();
            return denominator == 1 ? sign + QString::number(n) : sign + QStringLiteral("%1/%2").arg(n).arg(denominator);
        }
    }
    return QString::fromStdString(DataPanelNumber(index));
}

}  // namespace

void TMainWindow::OnShowSpecialPoints() {
    if (CommandsBlocked() || !session.alreadyParsed()) return;
    if (ui.ShowSpecialPoints1->isChecked()) {
        ui.ShowSpecialPoints1->setChecked(false);
        session.ClearSpecialPoints();
        SetInfoText(QString());
        OnPaint();
        return;
    }
    StartSpecialPoints();
}

bool TMainWindow::StartSpecialPoints() {
    if (CommandsBlocked() || !session.alreadyParsed()) return false;
    // The markers of another class or surface go at once; a stopped search
    // leaves none.
    session.ClearSpecialPoints();
    if (mainPanel.crossDrawn()) DrawCross();
    OnPaint();
    const bool started = specialPoints_->Start(linesOption_);
    ui.ShowSpecialPoints1->setChecked(started);
    return started;
}

void TMainWindow::ShowSpecialPointData(const TSpecialPoint& point) {
    TValueList* list = ui.FunctionValues1;
    const auto row = [list](int i, const QString& text) { list->SetRow(i, text); };
    row(0, QStringLiteral("u =") + QString::fromStdString(DataPanelNumber(point.at[0])));
    row(1, QStringLiteral("v =") + QString::fromStdString(DataPanelNumber(point.at[1])));
    row(2, QStringLiteral("Point =") + QString::fromLatin1(SpecialKindName(point.kind)));
    row(3, QStringLiteral("Index =") + (point.IndexMeasured() ? IndexText(point.index) : QString()));
    row(4, QStringLiteral("Separatrices =") +
               (point.separatrices >= 0 ? QString::number(point.separatrices) : QString()));
    row(5, QStringLiteral("Type =") + QString::fromStdString(point.type));
    const int field = static_cast<int>(point.field);
    const bool hasField = point.field != TLineClass::CoordinateLines && field >= 0 && field < kLineKinds;
    row(6, QStringLiteral("Field =") + (hasField ? ui.lineItems[field]->text() : QString()));
    row(7, point.origin ? QStringLiteral("Origin =") + QString::fromLatin1(OriginSideName(*point.origin)) : QString());
    for (int i = 8; i < list->rowCount(); ++i) row(i, QString());
    list->viewport()->update();
    // The ellipse panel shows the ellipse at the point itself.
    const TPointProbe probe = session.Probe(point.at, linesOption_);
    if (probe.frame) {
        ellipsePanel.ComputeEllipse(*probe.frame);
        ellipsePanel.DrawEllipse();
    }
}

}  // namespace velmora
