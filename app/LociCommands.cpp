// The Loci menu: tracing the zero set of one invariant over the whole domain
// into the session's store of that kind, and erasing every stored locus.
#include "app/MainWindow.h"

#include "app/ResourceStrings.h"
#include "canvas/LayerDrawing.h"

#include <exception>

namespace velmora {

void TMainWindow::OnLocusItem(int tag) {
    const TLocusKind kind = static_cast<TLocusKind>(tag);
    if (busy() || !session.alreadyParsed() || !IsInvariantKind(kind)) return;
    ManageMenus();
    // The cross is not stored; take it off before the locus is drawn.
    if (mainPanel.crossDrawn()) DrawCross();
    BeginWatch();
    // The tracer does not look at Stop: a locus always runs to its end. The
    // knots go into the store only; the locus is drawn when it is complete.
    try {
        session.TraceLocus(kind);
    } catch (const std::exception&) {
        // An error while seeding ends the trace; what was stored stays.
        SetInfoText(QString::fromLatin1(res::ComputationHalted));
    }
    DrawLocus(session, mainPanel.Canvas(), mainPanel.rctMain(), false, kind);
    EndWatch();
}

void TMainWindow::OnEraseLoci() {
    if (busy() || !session.alreadyParsed()) return;
    session.Stores().InitializeLoci();
    OnPaint();  // the background and the lines, without the loci
}

}  // namespace velmora
