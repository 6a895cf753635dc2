// Reading, validating and compiling the input ("Enter"), and the watch mode of
// long commands.
#include "app/FVelmora4.h"

#include "app/ResourceStrings.h"
#include "geometry/EngineSet.h"
#include "platform/Platform.h"
#include "platform/VelmoraError.h"
#include "symbolic/FunctionAndPartDerivs_64.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <exception>

namespace velmora {

namespace {

// The edit text without leading and trailing control characters and blanks
// (codes below 33); the edit shows the trimmed text.
QString TrimEdit(QLineEdit* edit) {
    const QString text = edit->text();
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() < 33) ++first;
    while (last > first && text[last - 1].unicode() < 33) --last;
    const QString trimmed = text.mid(first, last - first);
    if (trimmed != text) edit->setText(trimmed);
    return trimmed;
}

// The 8-bit text handed to the engines. A character outside Latin-1 becomes
// "?", which the formula languages refuse as an illegal character.
std::string EngineText(const QString& text) { return text.toLatin1().toStdString(); }

}  // namespace

bool TVelmora4::ReadData() {
    if (busy) return false;
    SetInfoText(QString());
    try {
        QLineEdit* const formulaEdits[4] = {xEdit, yEdit, zEdit, wEdit};
        const std::vector<double> minCorner{map.min2D[0], map.min2D[1]};
        const std::vector<double> maxCorner{map.max2D[0], map.max2D[1]};
        std::vector<TEngineSet*> sets{coordSet.get()};
        for (auto& set : threadSets) sets.push_back(set.get());
        TEngineSetsBuild build(sets);
        for (int i = 0; i < 4; ++i) {
            const std::string text = EngineText(TrimEdit(formulaEdits[i]));
            if (text.empty()) throw VelmoraError(res::BlankField);
            formulaParser->ParseNewText(text, "uv", "", false, true, minCorner, maxCorner);
            build.Coordinate(i, *formulaParser, text);
            InputStrs[4 + i] = text;
        }
        build.Commit();

        QLineEdit* const boundEdits[4] = {uMinEdit, uMaxEdit, vMinEdit, vMaxEdit};
        Vector2 minC = map.min2D, maxC = map.max2D;
        double* const bounds[4] = {&minC[0], &maxC[0], &minC[1], &maxC[1]};
        for (int i = 0; i < 4; ++i) {
            const std::string text = EngineText(TrimEdit(boundEdits[i]));
            if (text.empty()) throw VelmoraError(res::BlankField);
            *bounds[i] = EvaluateConstantFormula(text);
            // A bound must be a number: infinities and NaN would break the map.
            if (!std::isfinite(*bounds[i])) throw VelmoraError(res::ErrorReadingField);
            // A bound read stays read even when a later field fails.
            map.min2D = minC;
            map.max2D = maxC;
            InputStrs[8 + i] = text;
            if (i == 1 && !(minC[0] < maxC[0])) throw VelmoraError(res::UMinNotLess);
            if (i == 3 && !(minC[1] < maxC[1])) throw VelmoraError(res::VMinNotLess);
        }
        // The edges must be representable scales of the panel map.
        TDomainMap next = map;
        next.Setup(minC, maxC);
        if (!(std::isfinite(next.cX) && std::isfinite(next.cY) && std::isfinite(next.span2D) && next.cX > 0 &&
              next.cY > 0))
            throw VelmoraError(res::ErrorReadingField);
        map = next;
    } catch (const std::exception&) {
        Beep(100, 100);
        SetInfoText(QString::fromLatin1(res::ErrorReadingField));
        alreadyParsed = false;
        return false;
    }

    dirty = true;
    alreadyParsed = true;
    bm.fill(ColorToPixel(clWhite));
    FillMainPanel();
    InitializeLines();
    InitializeLoci();
    crossDrawn = busy = drawOrthonLine = stop = lockPtData = PrintBackground = false;
    sc = 0;
    ellipseBasis = false;
    ellFactor = 1.0;
    backgroundType = -1;
    SetInfoText(QString());
    ManageMenus();
    return true;
}

void TVelmora4::OnEnterButton() {
    if (busy) {
        // The "Stop" button: the running computation polls the flag.
        stop = true;
        return;
    }
    ReadData();
}

void TVelmora4::BeginWatch() {
    busy = true;
    stop = false;
    SetEnterButton(QString::fromLatin1(res::Stop), clRed);
    if (!watchCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        watchCursor = true;
    }
}

void TVelmora4::EndWatch() {
    busy = false;
    stop = true;
    SetEnterButton(QString::fromLatin1(res::Enter), clNavy);
    if (watchCursor) {
        QApplication::restoreOverrideCursor();
        watchCursor = false;
    }
}

}  // namespace velmora
