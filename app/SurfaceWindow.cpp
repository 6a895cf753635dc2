#include "app/SurfaceWindow.h"

#include "app/Dialogs.h"
#include "app/ResourceStrings.h"
#include "app/Settings.h"
#include "printing/Figure.h"
#include "session/SurfaceSession.h"
#include "view3d/OffscreenRenderer.h"
#include "view3d/SurfaceGLWidget.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>

namespace velmora {

namespace {
constexpr int kRefreshMilliseconds = 200;
constexpr int kMaxWindowMeshSide = 1000;
}  // namespace

TSurfaceWindow::TSurfaceWindow(TSurfaceWindowHost host) : host_(std::move(host)) {
    setObjectName(QStringLiteral("SurfaceWindow"));
    setWindowTitle(QStringLiteral("Surface in 3D"));
    CreateControls();
    resize(900, 640);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (isVisible()) Refresh();
    });
    timer_->start(kRefreshMilliseconds);
}

TSurfaceWindow::~TSurfaceWindow() = default;

void TSurfaceWindow::CreateControls() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exportItem = file->addAction(QStringLiteral("&Export Image..."));
    exportItem->setObjectName(QStringLiteral("ExportImage3D1"));
    connect(exportItem, &QAction::triggered, this, [this] { OnExportImage(); });

    auto* client = new QWidget(this);
    auto* row = new QHBoxLayout(client);
    view_ = new TSurfaceGLWidget(scene_, client);
    view_->setObjectName(QStringLiteral("SurfaceView"));
    view_->onAnglesChanged = [this] { ShowAngles(); };
    view_->onPick = [this](const Vector2& p) {
        if (host_.showPoint) host_.showPoint(p);
    };
    row->addWidget(view_, 1);

    auto* side = new QWidget(client);
    side->setFixedWidth(230);
    auto* panel = new QVBoxLayout(side);
    auto* form = new QFormLayout;
    projection_ = new QComboBox(side);
    projection_->setObjectName(QStringLiteral("Projection"));
    projection_->addItems({QStringLiteral("Orthographic"), QStringLiteral("Perspective"), QStringLiteral("Stereographic")});
    form->addRow(QStringLiteral("Projection"), projection_);
    colouring_ = new QComboBox(side);
    colouring_->setObjectName(QStringLiteral("Colouring"));
    colouring_->addItems({QStringLiteral("Background invariant"), QStringLiteral("Fourth coordinate"), QStringLiteral("Plain")});
    form->addRow(QStringLiteral("Colour"), colouring_);
    meshSide_ = new QSpinBox(side);
    meshSide_->setObjectName(QStringLiteral("MeshSide"));
    meshSide_->setRange(20, kMaxWindowMeshSide);
    meshSide_->setSingleStep(50);
    meshSide_->setValue(kDefaultMeshSide);
    form->addRow(QStringLiteral("Mesh"), meshSide_);
    panel->addLayout(form);

    auto* angles = new QFormLayout;
    for (int k = 0; k < kPlanes; ++k) {
        auto* line = new QHBoxLayout;
        sliders_[k] = new QSlider(Qt::Horizontal, side);
        sliders_[k]->setObjectName(QStringLiteral("Angle_%1").arg(QString::fromLatin1(PlaneName(static_cast<TPlane>(k)))));
        sliders_[k]->setRange(-180, 180);
        angleLabels_[k] = new QLabel(QStringLiteral("0"), side);
        angleLabels_[k]->setMinimumWidth(32);
        line->addWidget(sliders_[k], 1);
        line->addWidget(angleLabels_[k]);
        angles->addRow(QString::fromLatin1(PlaneName(static_cast<TPlane>(k))), line);
        connect(sliders_[k], &QSlider::valueChanged, this, [this, k](int value) {
            scene_.SetAngle(static_cast<TPlane>(k), value);
            angleLabels_[k]->setText(QString::number(value));
            view_->update();
        });
    }
    panel->addLayout(angles);
    auto* reset = new QPushButton(QStringLiteral("Reset"), side);
    reset->setObjectName(QStringLiteral("ResetView"));
    connect(reset, &QPushButton::clicked, this, [this] { Reset(); });
    panel->addWidget(reset);
    auto* help = new QLabel(QStringLiteral("Drag: orbit\nShift+drag: xw and yw planes\nCtrl+drag: zw plane\n"
                                           "Right drag: pan; wheel: zoom\nClick: show the point"),
                            side);
    help->setWordWrap(true);
    panel->addWidget(help);
    panel->addStretch(1);
    row->addWidget(side);
    setCentralWidget(client);

    connect(projection_, &QComboBox::currentIndexChanged, this, [this] { ApplyView(); });
    connect(colouring_, &QComboBox::currentIndexChanged, this, [this] { ApplyView(); });
    connect(meshSide_, &QSpinBox::valueChanged, this, [this] { meshDue_ = true; });
    statusBar()->setObjectName(QStringLiteral("SurfaceStatus"));
}

void TSurfaceWindow::SetStatus(const QString& text) { statusBar()->showMessage(text); }
QString TSurfaceWindow::StatusText() const { return statusBar()->currentMessage(); }

void TSurfaceWindow::ApplyView() {
    TView4D view = scene_.View();
    view.projection = static_cast<TProjectionKind>(std::max(projection_->currentIndex(), 0));
    view.colouring = static_cast<TColouring>(std::max(colouring_->currentIndex(), 0));
    // Without a background there is no invariant to colour by.
    if (view.colouring == TColouring::Invariant && !(scene_.HasMesh() && scene_.Mesh().invariantKind))
        view.colouring = TColouring::Plain;
    for (int k = 0; k < kPlanes; ++k) view.angles.degrees[k] = sliders_[k]->value();
    scene_.SetView(view);
    view_->update();
}

void TSurfaceWindow::ShowAngles() {
    // A drag turned the scene: the sliders follow without turning it again.
    for (int k = 0; k < kPlanes; ++k) {
        const int degrees = static_cast<int>(std::lround(scene_.View().angles.degrees[k]));
        const QSignalBlocker block(sliders_[k]);
        sliders_[k]->setValue(degrees);
        angleLabels_[k]->setText(QString::number(degrees));
    }
}

void TSurfaceWindow::Reset() {
    for (QSlider* s : sliders_) {
        const QSignalBlocker block(s);
        s->setValue(0);
    }
    for (QLabel* l : angleLabels_) l->setText(QStringLiteral("0"));
    scene_.camera = TCamera{};
    ApplyView();
}

void TSurfaceWindow::SetChoice(const TSurfaceViewChoice& choice) {
    const QSignalBlocker b1(projection_), b2(colouring_), b3(meshSide_);
    projection_->setCurrentIndex(static_cast<int>(choice.view.projection));
    colouring_->setCurrentIndex(static_cast<int>(choice.view.colouring));
    meshSide_->setValue(choice.meshSide);
    for (int k = 0; k < kPlanes; ++k) {
        const QSignalBlocker block(sliders_[k]);
        sliders_[k]->setValue(static_cast<int>(std::lround(choice.view.angles.degrees[k])));
        angleLabels_[k]->setText(QString::number(sliders_[k]->value()));
    }
    meshDue_ = true;
    ApplyView();
}

TSurfaceViewChoice TSurfaceWindow::Choice() const {
    TSurfaceViewChoice c;
    c.view.projection = static_cast<TProjectionKind>(std::max(projection_->currentIndex(), 0));
    c.view.colouring = static_cast<TColouring>(std::max(colouring_->currentIndex(), 0));
    for (int k = 0; k < kPlanes; ++k) c.view.angles.degrees[k] = sliders_[k]->value();
    c.meshSide = meshSide_->value();
    return c;
}

bool TSurfaceWindow::Refresh() {
    TSurfaceSession& session = *host_.session;
    if (!session.alreadyParsed()) return true;
    const std::optional<TBackgroundType> background = host_.backgroundType ? host_.backgroundType() : std::nullopt;
    const bool meshDue = meshDue_ || session.ReadCount() != readSeen_ || background != backgroundSeen_ ||
                         meshSide_->value() != sideSeen_;
    if (meshDue) {
        // The worker engine sets are shared with the background workers.
        if (host_.enginesFree && !host_.enginesFree()) return false;
        try {
            std::optional<TSurfaceMesh> mesh = SampleSessionMesh(session, meshSide_->value(), background);
            if (!mesh) return false;
            scene_.SetMesh(std::move(*mesh));
        } catch (const std::exception& e) {
            SetStatus(QString::fromStdString(e.what()));
            return false;
        }
        readSeen_ = session.ReadCount();
        backgroundSeen_ = background;
        sideSeen_ = meshSide_->value();
        meshDue_ = false;
        drawingsSeen_ = ~uint64_t{0};
        ApplyView();
    }
    if (session.Stores().Revision() != drawingsSeen_ || session.SpecialPointsRevision() != pointsSeen_) {
        scene_.SetDrawings(LiftSessionDrawings(session));
        drawingsSeen_ = session.Stores().Revision();
        pointsSeen_ = session.SpecialPointsRevision();
        view_->update();
    }
    return true;
}

void TSurfaceWindow::SetMousePoint(std::optional<Vector2> p) {
    if (!scene_.HasMesh()) return;
    scene_.SetMarker(p ? SessionSurfacePoint(*host_.session, *p) : std::nullopt);
    view_->update();
}

void TSurfaceWindow::OnExportImage() {
    if (!host_.dialogs || !host_.settings) return;
    TDialogs& dialogs = host_.dialogs();
    TSettings& settings = *host_.settings;
    const QString chosen = dialogs.SaveFileName(this, QStringLiteral("Export Image"), QStringLiteral("PNG image (*.png)"),
                                                QStringLiteral("png"), settings.LastFolder());
    if (chosen.isEmpty()) return;
    settings.SetLastFolderOf(chosen);
    const std::optional<int> size = dialogs.FigureSize(this, settings.FigureSize(), kMinFigureSize, kMaxFigureSize);
    if (!size) return;
    settings.SetFigureSize(*size);
    ExportImage(chosen, *size);
}

bool TSurfaceWindow::ExportImage(const QString& path, int size) {
    if (const TFigureWrite target = CheckFigureTarget(path, size); !target) {
        SetStatus(target.message);
        return false;
    }
    Refresh();
    const TSceneImage picture = RenderSceneImage(scene_, size, size, std::max(1.5f, size / 600.0f));
    if (!picture) {
        SetStatus(picture.error);
        return false;
    }
    const TFigureWrite written = WritePicture(path, picture.image);
    SetStatus(written ? QString::fromLatin1(res::ImageSaved).arg(QDir::toNativeSeparators(path)) : written.message);
    return written.ok;
}

}  // namespace velmora
