#include "printing/Printing.h"

#include "printing/FigureDrawing.h"
#include "session/SurfaceSession.h"

#include <QPagedPaintDevice>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

int Round(double x) { return static_cast<int>(std::lround(x)); }

QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

// ---- layout ---------------------------------------------------------------------------

void TPageLayout::LayoutTitle(const QString& title, int maxWidth, const QPaintDevice* device) {
    const double s = TitleFontSize(maxWidth);
    const double step = 1.3 * s;
    TextBlock& block = textBlocks[0];
    block.Clear();
    if (!title.isEmpty()) WrapText(block, TextWidthOn(TitleFont(Round(s), device), device), title, maxWidth, 0, 0);
    titleHeight = block.lines.isEmpty() ? 0 : Round((block.lines.size() + 0.5) * step);
}

void TPageLayout::LayoutText(const QString& subText, bool printEquations, const TDocumentLines& InputStrs,
                             int maxWidth, const QPaintDevice* device) {
    for (int i = 1; i <= 5; ++i) textBlocks[i].Clear();
    const double s = TextFontSize(maxWidth);
    const double step = 1.3 * s;
    const TTextWidth width = TextWidthOn(TextFont(Round(s), device), device);
    if (!printEquations) {
        if (!subText.isEmpty()) WrapText(textBlocks[1], width, subText, maxWidth, 3, 0);
    } else {
        static const char* const kNames[4] = {"x(u,v) = ", "y(u,v) = ", "z(u,v) = ", "w(u,v) = "};
        for (int i = 0; i < 4; ++i)
            WrapText(textBlocks[1 + i], width, QString::fromLatin1(kNames[i]) + Latin1(InputStrs[4 + i]), maxWidth,
                     0, 3);
        const QString bounds = Latin1(InputStrs[8]) + QStringLiteral(" < u < ") + Latin1(InputStrs[9]) +
                               QStringLiteral(" ,   ") + Latin1(InputStrs[10]) + QStringLiteral(" < v < ") +
                               Latin1(InputStrs[11]);
        textBlocks[5].lines = QStringList{bounds};
        textBlocks[5].width = width(bounds);
    }
    qsizetype n = 0;
    for (int i = 1; i <= 5; ++i) n += textBlocks[i].lines.size();
    textHeight = n > 0 ? Round((n + 1.5) * step) : 0;
}

void TPageLayout::ComputePageLayout(int W, int H) {
    int d = H * 9 / 10 - titleHeight - textHeight;
    if (d >= W * 9 / 10) d = W * 9 / 10;
    d = std::max(d, 1);
    pageRect.Left = (W - d) / 2;
    pageRect.Top = (H - d - titleHeight - textHeight) / 2 + titleHeight;
    pageRect.Right = pageRect.Left + d;
    pageRect.Bottom = pageRect.Top + d;
    const int margin = d / 512;
    frameRect = {pageRect.Left - margin, pageRect.Top - margin, pageRect.Right + margin, pageRect.Bottom + margin};
}

void TPageLayout::DrawTexts(TCanvas& can, int pageWidth) const {
    const QPaintDevice* device = can.Painter() ? can.Painter()->device() : nullptr;
    const int d = pageRect.Width();
    can.fontColor = clBlack;
    if (!textBlocks[0].lines.isEmpty()) {
        const double s = TitleFontSize(d);
        const int step = Round(1.3 * s);
        can.font = TitleFont(Round(s), device);
        int y = frameRect.Top - titleHeight;
        for (const QString& line : textBlocks[0].lines) {
            can.TextOut((pageWidth - textBlocks[0].width) / 2, y, line);
            y += step;
        }
    }

    can.penWidth = 1;
    can.penColor = clBlack;
    can.penMode = TPenMode::pmCopy;
    can.MoveTo(frameRect.Left, frameRect.Top);
    can.LineTo(frameRect.Left, frameRect.Bottom);
    can.LineTo(frameRect.Right, frameRect.Bottom);
    can.LineTo(frameRect.Right, frameRect.Top);
    can.LineTo(frameRect.Left, frameRect.Top);

    const double s = TextFontSize(d);
    const int step = Round(1.3 * s);
    can.font = TextFont(Round(s), device);
    int y = frameRect.Bottom + step / 2;
    for (int i = 1; i <= 5; ++i) {
        for (const QString& line : textBlocks[i].lines) {
            can.TextOut((pageWidth - textBlocks[i].width) / 2, y, line);
            y += step;
        }
    }
}

// ---- the print run ----------------------------------------------------------------------

TPrintJob::TPrintJob(QPagedPaintDevice& printer, int copies, const TSurfaceSession& session, TPrintSettings settings,
                     int backgroundType)
    : printer_(printer),
      copies_(copies),
      session_(session),
      settings_(std::move(settings)),
      backgroundType_(backgroundType) {}

TPrintJob::~TPrintJob() { Abandon(); }

TPrintJob::TStart TPrintJob::StartPrint(const TColorByFunction& colorByFunction, bool drawLater) {
    if (copies_ < 1) {
        settings_.PrintBackground = false;
        return TStart::Failed;
    }
    if (!painter_.begin(&printer_)) return TStart::Failed;
    canvas_ = std::make_unique<TCanvas>(&painter_);
    canvas_->brushColor = clWhite;
    canvas_->brushSolid = true;

    pageWidth_ = printer_.width();
    pageHeight_ = printer_.height();
    const int maxWidth = pageWidth_ * 9 / 10;
    layout_.LayoutTitle(settings_.prTitle, maxWidth, &printer_);
    layout_.LayoutText(settings_.PrintSubText() ? settings_.prSubText : QString(), settings_.PrintEquations,
                       session_.InputStrs(), maxWidth, &printer_);
    layout_.ComputePageLayout(pageWidth_, pageHeight_);

    if (settings_.PrintBackground && backgroundType_ >= 0) {
        // A page or resolution of less than a pixel gets no background.
        const int side = std::min(maxWidth, settings_.prResolution);
        backgroundSide_ = side;
        if (side >= 1) pageBitmap_ = QImage(side, side, QImage::Format_RGB32);
        if (!pageBitmap_.isNull()) {
            // The colouring fills it (on its own threads: a page bitmap may
            // hold tens of millions of pixels).
            printingBackground_ = true;
            if (colorByFunction && colorByFunction(pageBitmap_)) return TStart::AwaitingBackground;
            printingBackground_ = false;
        }
        pageBitmap_ = QImage();
    }
    if (drawLater) return TStart::ReadyToFinish;
    return FinishPrint() ? TStart::Finished : TStart::Failed;
}

bool TPrintJob::FinishPrint() {
    if (!painter_.isActive()) return false;
    bool ok = true;
    for (int copy = 1; copy <= copies_; ++copy) {
        // Every copy starts on white (the curves leave a black brush).
        canvas_->brushColor = clWhite;
        canvas_->brushSolid = true;
        canvas_->FillRect(layout_.frameRect);
        painter_.setClipping(false);
        layout_.DrawTexts(*canvas_, pageWidth_);
        const bool withBackground = settings_.PrintBackground && backgroundType_ >= 0 && !pageBitmap_.isNull();
        DrawFigure(session_, *canvas_, layout_.pageRect, withBackground ? &pageBitmap_ : nullptr);
        if (copy < copies_ && !printer_.newPage()) ok = false;
    }
    if (!painter_.end()) ok = false;
    canvas_.reset();
    pageBitmap_ = QImage();
    settings_.PrintBackground = false;
    printingBackground_ = false;
    return ok;
}

QString TPrintJob::ResolutionCapText() const {
    if (backgroundSide_ < 1 || backgroundSide_ >= settings_.prResolution) return {};
    return QStringLiteral("The page background has %1 pixels per line, the most this page takes (%2 were asked)")
        .arg(backgroundSide_)
        .arg(settings_.prResolution);
}

void TPrintJob::Abandon() {
    if (painter_.isActive()) painter_.end();
    canvas_.reset();
    pageBitmap_ = QImage();
    printingBackground_ = false;
}

}  // namespace velmora
