#include "app/Settings.h"

#include "printing/Figure.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {

const QString kPosition = QStringLiteral("window/position");
const QString kLastFolder = QStringLiteral("dialogs/lastFolder");
const QString kRecent = QStringLiteral("documents/recent");
const QString kPickerPoint = QStringLiteral("picker/point");
const QString kPickerColumn = QStringLiteral("picker/column");
const QString kFigureSize = QStringLiteral("export/size");
const QString kSurfaceOpen = QStringLiteral("surface3d/open");
const QString kSurfaceGeometry = QStringLiteral("surface3d/geometry");
const QString kSurfaceProjection = QStringLiteral("surface3d/projection");
const QString kSurfaceColouring = QStringLiteral("surface3d/colouring");
const QString kSurfaceAngles = QStringLiteral("surface3d/angles");
const QString kSurfaceMesh = QStringLiteral("surface3d/mesh");

// The same file under two spellings is one entry.
QString Canonical(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

TSettings::TSettings() : store_(QStringLiteral("Velmora4"), QStringLiteral("velmora4")) {}

std::optional<QPoint> TSettings::WindowPosition() const {
    const QVariant v = store_.value(kPosition);
    if (!v.canConvert<QPoint>()) return std::nullopt;
    return v.toPoint();
}

void TSettings::SetWindowPosition(QPoint position) { store_.setValue(kPosition, position); }

QString TSettings::LastFolder() const {
    const QString folder = store_.value(kLastFolder).toString();
    return QFileInfo(folder).isDir() ? folder : QString();
}

void TSettings::SetLastFolderOf(const QString& file) {
    if (!file.isEmpty()) store_.setValue(kLastFolder, QFileInfo(file).absolutePath());
}

QStringList TSettings::RecentDocuments() const {
    QStringList list;
    for (const QString& path : store_.value(kRecent).toStringList()) {
        if (path.isEmpty() || list.contains(path)) continue;
        list.append(path);
        if (list.size() == kRecentDocuments) break;
    }
    return list;
}

void TSettings::SetRecent(const QStringList& list) { store_.setValue(kRecent, list); }

void TSettings::AddRecentDocument(const QString& path) {
    const QString file = Canonical(path);
    QStringList list = RecentDocuments();
    list.removeAll(file);
    list.prepend(file);
    SetRecent(list.mid(0, kRecentDocuments));
}

void TSettings::RemoveRecentDocument(const QString& path) {
    QStringList list = RecentDocuments();
    list.removeAll(path);
    list.removeAll(Canonical(path));
    SetRecent(list);
}

std::optional<TPickerChoice> TSettings::PickerChoice() const {
    const QVariant point = store_.value(kPickerPoint), column = store_.value(kPickerColumn);
    bool ok = false;
    const int meterPos = column.toInt(&ok);
    if (!ok || !point.canConvert<QPoint>()) return std::nullopt;
    const QPoint p = point.toPoint();
    return TPickerChoice{{p.x(), p.y()}, meterPos};
}

void TSettings::SetPickerChoice(const TPickerChoice& choice) {
    store_.setValue(kPickerPoint, QPoint(choice.HSPt.x, choice.HSPt.y));
    store_.setValue(kPickerColumn, choice.meterPos);
}

int TSettings::FigureSize() const {
    bool ok = false;
    const int size = store_.value(kFigureSize).toInt(&ok);
    return ok && size >= kMinFigureSize && size <= kMaxFigureSize ? size : kDefaultFigureSize;
}

void TSettings::SetFigureSize(int size) { store_.setValue(kFigureSize, size); }

std::optional<TSurfaceWindowState> TSettings::SurfaceWindowState() const {
    if (!store_.contains(kSurfaceOpen)) return std::nullopt;
    TSurfaceWindowState state;
    state.open = store_.value(kSurfaceOpen).toBool();
    state.geometry = store_.value(kSurfaceGeometry).toByteArray();
    // Each value out of its range keeps its default.
    bool ok = false;
    if (const int p = store_.value(kSurfaceProjection).toInt(&ok); ok && p >= 0 && p <= 2) state.projection = p;
    if (const int c = store_.value(kSurfaceColouring).toInt(&ok); ok && c >= 0 && c <= 2) state.colouring = c;
    if (const int m = store_.value(kSurfaceMesh).toInt(&ok); ok && m >= 20 && m <= 1000) state.meshSide = m;
    const QStringList angles = store_.value(kSurfaceAngles).toStringList();
    if (angles.size() == static_cast<int>(state.angles.size())) {
        std::array<double, 6> read{};
        bool all = true;
        for (int k = 0; k < angles.size() && all; ++k) {
            read[k] = angles[k].toDouble(&ok);
            all = ok && read[k] >= -180 && read[k] <= 180;
        }
        if (all) state.angles = read;
    }
    return state;
}

void TSettings::SetSurfaceWindowState(const TSurfaceWindowState& state) {
    store_.setValue(kSurfaceOpen, state.open);
    store_.setValue(kSurfaceGeometry, state.geometry);
    store_.setValue(kSurfaceProjection, state.projection);
    store_.setValue(kSurfaceColouring, state.colouring);
    QStringList angles;
    for (double a : state.angles) angles << QString::number(a);
    store_.setValue(kSurfaceAngles, angles);
    store_.setValue(kSurfaceMesh, state.meshSide);
}

}  // namespace velmora
