#include "printing/Figure.h"

#include "printing/FigureDrawing.h"
#include "printing/FileOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <functional>

namespace velmora {

std::optional<TFigureFormat> FigureFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return TFigureFormat::Png;
    if (suffix == QLatin1String("svg")) return TFigureFormat::Svg;
    if (suffix == QLatin1String("pdf")) return TFigureFormat::Pdf;
    return std::nullopt;
}

namespace {

// The name of the file as the system knows it.
std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }

TFigureWrite Failure(const QString& path, const QString& reason) {
    return {false, QStringLiteral("Cannot write %1: %2").arg(path, reason)};
}

// The figure on white, through a painter on any device of side `size`.
bool Paint(QPaintDevice& device, int size, const TSurfaceSession& session, const QImage* background,
           TPlacement placement) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    TCanvas can(&painter);
    const TRect r{0, 0, size, size};
    can.brushColor = clWhite;
    can.brushSolid = true;
    can.FillRect(r);
    DrawFigure(session, can, r, background, placement);
    return painter.end();
}

bool WritePng(QIODevice& file, int size, const TSurfaceSession& session, const QImage* background) {
    QImage image(size, size, QImage::Format_RGB32);
    if (image.isNull()) return false;
    image.fill(Qt::white);
    return Paint(image, size, session, background, TPlacement::Pixels) && image.save(&file, "PNG");
}

bool WriteSvg(QIODevice& file, int size, const TSurfaceSession& session, const QImage* background) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(QSize(size, size));
    svg.setViewBox(QRect(0, 0, size, size));
    svg.setTitle(QStringLiteral("Velmora4 figure"));
    return Paint(svg, size, session, background, TPlacement::Exact);
}

bool WritePdf(QIODevice& file, int size, const TSurfaceSession& session, const QImage* background) {
    // One square page of `size` points: one device pixel per point.
    QPdfWriter pdf(&file);
    pdf.setResolution(72);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size, size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF()));
    pdf.setCreator(QStringLiteral("Velmora4"));
    pdf.setTitle(QStringLiteral("Velmora4 figure"));
    return Paint(pdf, size, session, background, TPlacement::Exact);
}

}  // namespace

bool WriteFigureTo(QIODevice& device, TFigureFormat format, int size, const TSurfaceSession& session,
                   const QImage* background) {
    switch (format) {
        case TFigureFormat::Png: return WritePng(device, size, session, background);
        case TFigureFormat::Svg: return WriteSvg(device, size, session, background);
        case TFigureFormat::Pdf: return WritePdf(device, size, session, background);
    }
    return false;
}

TFigureWrite CheckFigureTarget(const QString& path, int size) {
    // A figure is never written over a folder or a device.
    if (!TAtomicFile::CheckTarget(FileName(path))) return Failure(path, QStringLiteral("it is not a regular file"));
    if (!FigureFormatOf(path)) return Failure(path, QStringLiteral("the name must end in .png, .svg or .pdf"));
    if (size < kMinFigureSize || size > kMaxFigureSize)
        return Failure(path, QStringLiteral("the size must be %1 to %2").arg(kMinFigureSize).arg(kMaxFigureSize));
    return {true, QString()};
}

namespace {
// Writes path through `write` as a figure is written, with its messages.
TFigureWrite WriteFigureFile(const QString& path, const std::function<bool(QIODevice&)>& write) {
    const TFileOutput written = WriteFileThroughDevice(FileName(path), write);
    switch (written.result.failure) {
        case TFileWriteFailure::None: return {true, QString()};
        case TFileWriteFailure::Folder:
        case TFileWriteFailure::NotRegularFile: return Failure(path, QStringLiteral("it is not a regular file"));
        case TFileWriteFailure::System:
            return Failure(path, QString::fromStdString(SystemErrorText(written.result.error)));
        case TFileWriteFailure::Content: break;
    }
    return Failure(path, written.deviceError.isEmpty() ? QStringLiteral("the figure could not be drawn")
                                                       : written.deviceError);
}
}  // namespace

TFigureWrite WriteFigure(const QString& path, int size, const TSurfaceSession& session, const QImage* background) {
    if (TFigureWrite target = CheckFigureTarget(path, size); !target) return target;
    const TFigureFormat format = *FigureFormatOf(path);
    return WriteFigureFile(path, [&](QIODevice& device) { return WriteFigureTo(device, format, size, session, background); });
}

TFigureWrite WritePicture(const QString& path, const QImage& picture) {
    if (TFigureWrite target = CheckFigureTarget(path, std::max(picture.width(), picture.height())); !target)
        return target;
    if (FigureFormatOf(path) != TFigureFormat::Png) return Failure(path, QStringLiteral("the name must end in .png"));
    return WriteFigureFile(path, [&](QIODevice& device) { return picture.save(&device, "PNG"); });
}

}  // namespace velmora
