// The printed page: the drawing of the domain enlarged into a square in a
// frame - the stored loci and curves over an optional background computed
// anew for the page - with a title above and, below, either the four
// equations with the bounds or a free text. Laid out and drawn in printer
// pixels on any paged device: a printer (the window) or a PDF writer (the
// command-line companion), from the same code.
#pragma once

#include "canvas/Canvas.h"
#include "printing/PageText.h"
#include "session/Document.h"

#include <QImage>
#include <QPainter>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QPagedPaintDevice;

namespace velmora {

class TSurfaceSession;

inline constexpr int kMaxPrintResolution = 5000;
inline constexpr int kDefaultPrintResolution = 1200;

// What the page shows (the choices of the page dialog).
struct TPrintSettings {
    bool PrintBackground = false;  // the coloured background, computed anew
    bool PrintEquations = true;    // the equations under the drawing, else prSubText
    QString prTitle;
    QString prSubText;
    int prResolution = kDefaultPrintResolution;  // side in pixels of the page background
    bool PrintSubText() const { return !PrintEquations; }
};

// The layout of a page: the text blocks (0 the title, 1..4 the equations or 1
// the free text, 5 the bounds), the heights reserved above and below the
// drawing, the square of the drawing and its frame.
class TPageLayout {
public:
    std::array<TextBlock, 6> textBlocks;
    int titleHeight = 0;
    int textHeight = 0;
    TRect pageRect;
    TRect frameRect;

    // Block 0 and titleHeight, in the title font sized for maxWidth.
    void LayoutTitle(const QString& title, int maxWidth, const QPaintDevice* device);
    // Blocks 1..5 and textHeight, in the text font sized for maxWidth: the
    // equations "x(u,v) = ..." from lines 4..7 of the document and the bounds
    // line from lines 8..11, or the free text.
    void LayoutText(const QString& subText, bool printEquations, const TDocumentLines& InputStrs, int maxWidth,
                    const QPaintDevice* device);
    // The square of side d centred on a page of W x H pixels between the
    // reserved heights, at most 9/10 of the width and of the height; its frame
    // is d/512 wider on every side. A page too small for its texts keeps a
    // square of one pixel.
    void ComputePageLayout(int W, int H);
    // The title, the frame and the texts under it, in fonts sized for the square.
    void DrawTexts(TCanvas& can, int pageWidth) const;
};

// One print run on a paged device (portrait): StartPrint lays the page out
// and, when a background is wanted, creates the page bitmap and hands it to
// the caller's colouring; FinishPrint draws every copy and ends the document.
class TPrintJob {
public:
    enum class TStart {
        Failed,              // nothing printed (no copies, or the document could not begin)
        Finished,            // the page is printed
        AwaitingBackground,  // the page bitmap is being coloured: call FinishPrint when it is done
        ReadyToFinish,       // laid out without a background: call FinishPrint (asked for by drawLater)
    };
    // Starts the colouring of the page bitmap (side x side, not filled yet:
    // the colouring fills every pixel); false when it could not start (the
    // page is then printed without background).
    using TColorByFunction = std::function<bool(QImage& pageBitmap)>;

    // `copies` pages are printed one after the other; the device prints each once.
    TPrintJob(QPagedPaintDevice& printer, int copies, const TSurfaceSession& session, TPrintSettings settings,
              int backgroundType);
    ~TPrintJob();
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;

    // Begins the document and lays the page out; with a background wanted
    // and a background type chosen (>= 0), creates the page bitmap of side
    // min(maxWidth, prResolution) and calls colorByFunction. Without a
    // background the pages are drawn at once, or - with drawLater - left to
    // FinishPrint (which may run on another thread than this call, as long as
    // one thread at a time uses the job).
    TStart StartPrint(const TColorByFunction& colorByFunction, bool drawLater = false);
    // Draws the pages and ends the document; false when the device reported
    // an error. Releases the page bitmap.
    bool FinishPrint();
    // Ends the document without drawing the pages that remain.
    void Abandon();
    // The page takes fewer pixels per line than the background was asked to
    // have (at most 9/10 of its width): "The page background has 4312 pixels
    // per line, the most this page takes (5000 were asked)"; empty otherwise.
    QString ResolutionCapText() const;

    // The document has begun and its pages are not drawn yet.
    bool Active() const { return painter_.isActive(); }
    const TPageLayout& Layout() const { return layout_; }
    const QImage& pageBitmap() const { return pageBitmap_; }
    bool printingBackground() const { return printingBackground_; }
    int pageWidth() const { return pageWidth_; }
    int pageHeight() const { return pageHeight_; }

private:
    QPagedPaintDevice& printer_;
    int copies_;
    const TSurfaceSession& session_;
    TPrintSettings settings_;
    int backgroundType_;
    QPainter painter_;
    std::unique_ptr<TCanvas> canvas_;
    TPageLayout layout_;
    QImage pageBitmap_;
    bool printingBackground_ = false;
    int backgroundSide_ = 0;  // side of the page background, when one was wanted
    int pageWidth_ = 0, pageHeight_ = 0;
};

}  // namespace velmora
