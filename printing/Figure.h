// Figure files of the domain for a paper, holding the square figure that
// printing/FigureDrawing.h draws: a PNG picture of N x N pixels, or an SVG
// drawing or a one-page PDF of N x N units in which every locus piece,
// coordinate line and curve is one vector path, through its exact (not
// rounded) coordinates, over the background picture.
#pragma once

#include <QImage>
#include <QIODevice>
#include <QString>

#include <optional>

namespace velmora {

class TSurfaceSession;

enum class TFigureFormat { Png, Svg, Pdf };

// The side of a figure file, in pixels (PNG) or units (SVG, PDF).
inline constexpr int kMinFigureSize = 16;
inline constexpr int kMaxFigureSize = 5000;
inline constexpr int kDefaultFigureSize = 1200;

// The format named by the file's extension (.png, .svg, .pdf, in any case).
std::optional<TFigureFormat> FigureFormatOf(const QString& path);

struct TFigureWrite {
    bool ok = false;
    QString message;  // why nothing was written
    explicit operator bool() const { return ok; }
};

// Whether a figure of side `size` could be written to path: the path is
// not a folder or a device, its extension names a format and the size is
// within kMinFigureSize..kMaxFigureSize. Checked before any work goes into the
// figure; WriteFigure checks it again.
TFigureWrite CheckFigureTarget(const QString& path, int size);

// Writes the figure of side `size` on white into device as a file of the
// format; false when it could not be drawn or written.
bool WriteFigureTo(QIODevice& device, TFigureFormat format, int size, const TSurfaceSession& session,
                   const QImage* background);

// Writes the figure of side `size` on white into path, in the format of its
// extension. The file appears only when all of it was written: a failure
// (an unknown extension, a size outside kMinFigureSize..kMaxFigureSize, a
// path that is a folder or a device, a folder that cannot be written to, a
// full disk) leaves any earlier file whole and says why.
TFigureWrite WriteFigure(const QString& path, int size, const TSurfaceSession& session, const QImage* background);

// Writes a finished picture into path as a PNG file in the same way (the
// name must end in .png, the sides be within the figure sizes).
TFigureWrite WritePicture(const QString& path, const QImage& picture);

}  // namespace velmora
