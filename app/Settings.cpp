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

}  // namespace velmora
