// The Backgrounds menu: colouring the panel's background by the chosen
// invariant, and erasing it.
#include "app/MainWindow.h"

namespace velmora {

void TMainWindow::OnColorByFunction(int tag) {
    const TBackgroundType type = static_cast<TBackgroundType>(tag);
    if (CommandsBlocked() || !session.alreadyParsed() || !IsInvariantKind(type)) return;
    background->printingBackground = false;
    backgroundType_ = type;
    ManageMenus();
    ColorByFunction(mainPanel.bm());
}

bool TMainWindow::ColorByFunction(QImage& target) {
    if (!backgroundType_) return false;
    return background->ColorByFunction(target, *backgroundType_);
}

void TMainWindow::OnEraseBackground() {
    if (CommandsBlocked()) return;
    mainPanel.bm().fill(PixelOfColour(clWhite));
    backgroundType_.reset();
    ManageMenus();
    OnPaint();  // the white background, the loci and the lines
}

}  // namespace velmora
