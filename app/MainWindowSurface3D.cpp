// View > "Surface in 3D": the 3D window, made on first use, fed by the
// session and remembered between runs.
#include "app/MainWindow.h"

#include "app/SurfaceWindow.h"
#include "view3d/OffscreenRenderer.h"

#include <QScreen>

#include <algorithm>

namespace velmora {

QPoint PlaceBesideWindow(const QRect& main, const QSize& size, const QRect& room) {
    int x = main.right() + 1;
    if (x + size.width() > room.right() + 1) x = main.left() - size.width();
    if (x < room.left()) x = std::max(room.left(), room.right() + 1 - size.width());
    const int y = std::clamp(main.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    return {x, y};
}

void TMainWindow::PlaceBeside(QWidget& window) const {
    if (const QScreen* s = screen())
        window.move(PlaceBesideWindow(frameGeometry(), window.frameGeometry().size(), s->availableGeometry()));
}

void TMainWindow::OnViewSurface3D() {
    if (!OpenGLWindowsAvailable()) return;
    if (!surfaceWindow_) {
        TSurfaceWindowHost host;
        host.session = &session;
        host.settings = &settings_;
        host.enginesFree = [this] { return !WorkerEnginesInUse(); };
        host.backgroundType = [this] { return backgroundType_; };
        host.showPoint = [this](const Vector2& p) {
            // As a mouse move over the main panel would.
            if (busy() || panelsFrozen_ || !session.alreadyParsed()) return;
            ShowPointAt(p);
        };
        host.dialogs = [this]() -> TDialogs& { return *dialogs_; };
        surfaceWindow_ = std::make_unique<TSurfaceWindow>(std::move(host));
        surfaceWindow_->setWindowIcon(windowIcon());
        PlaceBeside(*surfaceWindow_);
    }
    surfaceWindow_->show();
    surfaceWindow_->raise();
    surfaceWindow_->Refresh();
}

void TMainWindow::RestoreSurfaceWindow() {
    const std::optional<TSurfaceWindowState> state = settings_.SurfaceWindowState();
    if (!state || !state->open || !OpenGLWindowsAvailable()) return;
    OnViewSurface3D();
    TSurfaceViewChoice choice;
    choice.view.projection = static_cast<TProjectionKind>(state->projection);
    choice.view.colouring = static_cast<TColouring>(state->colouring);
    choice.view.angles.degrees = state->angles;
    choice.meshSide = state->meshSide;
    surfaceWindow_->SetChoice(choice);
    if (!state->geometry.isEmpty()) surfaceWindow_->restoreGeometry(state->geometry);
}

void TMainWindow::SaveSurfaceWindow() {
    // Never opened: whatever was kept stays.
    if (!surfaceWindow_) return;
    TSurfaceWindowState state;
    state.open = surfaceWindow_->isVisible();
    state.geometry = surfaceWindow_->saveGeometry();
    const TSurfaceViewChoice choice = surfaceWindow_->Choice();
    state.projection = static_cast<int>(choice.view.projection);
    state.colouring = static_cast<int>(choice.view.colouring);
    state.angles = choice.view.angles.degrees;
    state.meshSide = choice.meshSide;
    settings_.SetSurfaceWindowState(state);
}

}  // namespace velmora
