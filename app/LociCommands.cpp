// The Loci menu: tracing the zero set of one invariant over the whole domain
// into the session's store of that kind (TLocusCommand), and erasing every
// stored locus.
#include "app/MainWindow.h"


namespace velmora {

void TMainWindow::OnLocusItem(int tag) {
    const TLocusKind kind = static_cast<TLocusKind>(tag);
    if (CommandsBlocked() || !session.alreadyParsed() || !IsInvariantKind(kind)) return;
    ManageMenus();
    // The cross is not stored; take it off before the locus is drawn.
    if (mainPanel.crossDrawn()) DrawCross();
    // The locus is traced on a worker under the watch; its end stores and
    // draws it (the knots go into the store only when it is complete).
    locus_->Start(kind);
}

void TMainWindow::OnEraseLoci() {
    if (busy() || !session.alreadyParsed()) return;
    session.Stores().InitializeLoci();
    OnPaint();  // the background and the lines, without the loci
}

}  // namespace velmora
