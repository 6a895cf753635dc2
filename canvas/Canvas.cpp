#include "canvas/Canvas.h"

#include "platform/VelmoraTypes.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace velmora {

TCanvas::TCanvas(QImage* image, std::function<void()> changed) : image_(image), changed_(std::move(changed)) {}

TCanvas::TCanvas(QPainter* painter) : painter_(painter) {}

template <class F>
void TCanvas::Paint(F&& draw) {
    if (painter_) {
        painter_->save();
        painter_->setRenderHint(QPainter::Antialiasing, false);
        draw(*painter_);
        painter_->restore();
        return;
    }
    if (!image_ || image_->isNull()) return;
    {
        QPainter p(image_);
        p.setRenderHint(QPainter::Antialiasing, false);
        draw(p);
    }
    if (changed_) changed_();
}

void TCanvas::SetupBrush(QPainter& p) const {
    if (brushSolid)
        p.setBrush(ToQColor(brushColor));
    else
        p.setBrush(Qt::NoBrush);
}

void TCanvas::SetupPen(QPainter& p) const {
    QPen pen(ToQColor(penColor));
    if (penWidth <= 1) {
        // One pixel of the device (a cosmetic pen on an image; on a printer
        // page one printer pixel, not the thinnest line the printer can make);
        // the flat cap leaves out the end pixel.
        // At a device pixel ratio above 1 one logical pixel.
        pen.setWidth(painter_ || Scale() > 1 ? 1 : 0);
        pen.setCapStyle(Qt::FlatCap);
    } else {
        pen.setWidth(penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    p.setPen(pen);
    // Raster operations exist only on images; a painter held open by the caller
    // (a printer page) always draws in copy mode.
    if (!painter_) {
        switch (penMode) {
            case TPenMode::pmCopy: p.setCompositionMode(QPainter::CompositionMode_SourceOver); break;
            case TPenMode::pmXor: p.setCompositionMode(QPainter::RasterOp_SourceXorDestination); break;
            case TPenMode::pmNotXor: p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination); break;
        }
    }
}

void TCanvas::MoveTo(int x, int y) { penPos_ = QPoint(x, y); }

namespace {

// floor(num / den) for den > 0.
int64_t FloorDiv(int64_t num, int64_t den) {
    const int64_t q = num / den;
    return (num % den != 0 && num < 0) ? q - 1 : q;
}

}  // namespace

void TCanvas::PlotLine(QPoint from, QPoint to) {
    // One step per device pixel along the major axis, from the device pixel
    // of `from` up to but not including that of `to`; the minor coordinate
    // is rounded (halves up) and s device pixels are set across it. Only the
    // steps that fall inside the image are visited, so lines reaching far
    // outside cost no more than lines across it.
    const int64_t s = Scale();
    const int64_t fx = s * from.x(), fy = s * from.y();
    const int64_t dx = s * (int64_t(to.x()) - from.x()), dy = s * (int64_t(to.y()) - from.y());
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minorDelta = xMajor ? dy : dx;
    const int64_t start = xMajor ? fx : fy;
    const int64_t minorStart = xMajor ? fy : fx;
    const int step = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int64_t size = xMajor ? image_->width() : image_->height();
    int64_t lo = 0, hi = n;  // steps i in [lo, hi) with start + step i inside [0, size)
    if (step > 0) {
        lo = std::max<int64_t>(lo, -start);
        hi = std::min<int64_t>(hi, size - start);
    } else {
        lo = std::max<int64_t>(lo, start - size + 1);
        hi = std::min<int64_t>(hi, start + 1);
    }
    const uint32_t rgb = PixelOfColour(penColor) & 0xFFFFFFu;
    const int width = image_->width(), height = image_->height();
    for (int64_t i = lo; i < hi; ++i) {
        const int64_t major = start + step * i;
        const int64_t minor = minorStart + FloorDiv(2 * i * minorDelta + n, 2 * n);
        for (int64_t across = 0; across < s; ++across) {
            const int64_t x = xMajor ? major : minor + across, y = xMajor ? minor + across : major;
            if (x < 0 || x >= width || y < 0 || y >= height) continue;
            uint32_t& p = reinterpret_cast<uint32_t*>(image_->scanLine(int(y)))[x];
            switch (penMode) {
                case TPenMode::pmCopy: p = 0xFF000000u | rgb; break;
                case TPenMode::pmXor: p = 0xFF000000u | ((p ^ rgb) & 0xFFFFFFu); break;
                case TPenMode::pmNotXor: p = 0xFF000000u | (~(p ^ rgb) & 0xFFFFFFu); break;
            }
        }
    }
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = penPos_;
    const QPoint to(x, y);
    penPos_ = to;
    if (from == to) return;
    if (!painter_ && penWidth <= 1) {
        if (!image_ || image_->isNull()) return;
        PlotLine(from, to);
        if (changed_) changed_();
        return;
    }
    Paint([&](QPainter& p) {
        SetupPen(p);
        p.drawLine(from, to);
    });
}

void TCanvas::Polyline(const QPolygon& points) {
    if (points.size() < 2) return;
    penPos_ = points.constLast();
    if (!painter_ && penWidth <= 1) {
        if (!image_ || image_->isNull()) return;
        for (qsizetype i = 1; i < points.size(); ++i)
            if (points[i] != points[i - 1]) PlotLine(points[i - 1], points[i]);
        if (changed_) changed_();
        return;
    }
    Paint([&](QPainter& p) {
        SetupPen(p);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.addPolygon(QPolygonF(points));
        p.drawPath(path);
    });
}

void TCanvas::Polyline(const QPolygonF& points) {
    if (!painter_) {
        QPolygon pixels;
        pixels.reserve(points.size());
        for (const QPointF& p : points) pixels.append(QPoint(RoundHalfEven(p.x()), RoundHalfEven(p.y())));
        Polyline(pixels);
        return;
    }
    if (points.size() < 2) return;
    penPos_ = QPoint(RoundHalfEven(points.constLast().x()), RoundHalfEven(points.constLast().y()));
    Paint([&](QPainter& p) {
        SetupPen(p);
        p.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.addPolygon(points);
        p.drawPath(path);
    });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const int left = std::min(x1, x2), right = std::max(x1, x2);
    const int top = std::min(y1, y2), bottom = std::max(y1, y2);
    if (right - left < 2 || bottom - top < 2) return;
    Paint([&](QPainter& p) {
        SetupPen(p);
        SetupBrush(p);
        // With a one-pixel pen the outline of QRect(l, t, w, h) covers w + 1
        // columns; the canvas rectangle excludes its right and bottom edges.
        p.drawEllipse(QRect(left, top, right - left - 1, bottom - top - 1));
    });
}

void TCanvas::Polygon(const QPolygon& points) {
    if (points.size() < 3) return;
    Paint([&](QPainter& p) {
        SetupPen(p);
        SetupBrush(p);
        p.drawPolygon(points);
    });
}

void TCanvas::FillRect(const TRect& r) {
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), ToQColor(brushColor));
    });
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    if (text.isEmpty()) return;
    Paint([&](QPainter& p) {
        p.setFont(font);
        p.setPen(ToQColor(fontColor));
        const QFontMetrics fm = Metrics();
        if (brushSolid) {
            p.fillRect(QRect(x, y, fm.horizontalAdvance(text), fm.height()), ToQColor(brushColor));
        }
        p.drawText(QPoint(x, y + fm.ascent()), text);
    });
    penPos_ = QPoint(x + TextWidth(text), y);
}

QFontMetrics TCanvas::Metrics() const {
    if (painter_ && painter_->device()) return QFontMetrics(font, painter_->device());
    return QFontMetrics(font);
}

int TCanvas::TextWidth(const QString& text) const { return Metrics().horizontalAdvance(text); }

int TCanvas::TextHeight(const QString&) const { return Metrics().height(); }

void TCanvas::Draw(int x, int y, const QImage& picture) {
    if (picture.isNull()) return;
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(x, y), picture);
    });
}

void TCanvas::CopyRows(const QImage& picture, int firstRow, int count) {
    if (picture.isNull() || count <= 0) return;
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        const qreal ratio = picture.devicePixelRatio();
        const QRectF source(0, firstRow, picture.width(), count);
        p.drawImage(QRectF(0, firstRow / ratio, picture.width() / ratio, count / ratio), picture, source);
    });
}

void TCanvas::StretchDraw(const TRect& r, const QImage& picture) {
    if (picture.isNull() || r.Right <= r.Left || r.Bottom <= r.Top) return;
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), picture);
    });
}

TColor TCanvas::Pixel(int x, int y) const {
    const int s = Scale();
    if (!image_ || !image_->valid(x * s, y * s)) return clBlack;
    return ColourOfPixel(image_->pixel(x * s, y * s));
}

int TCanvas::Scale() const {
    if (!image_ || image_->isNull()) return 1;
    return std::max(1, static_cast<int>(std::lround(image_->devicePixelRatio())));
}

}  // namespace velmora
