#include "session/SurfaceSession.h"

#include "curves/ImplicitCurveTracer.h"
#include "curves/LineFieldTracer.h"
#include "curves/LocusFunctions.h"
#include "geometry/DomainVanishing.h"
#include "formula/FormulaCompiler.h"
#include "platform/VelmoraError.h"
#include "symbolic/SymbolicPartials.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace velmora {

namespace {

// An error whose message names its field itself.
struct NamedFieldError : VelmoraError {
    using VelmoraError::VelmoraError;
};

// The trimmed text of a field, refused when it is longer than a field takes.
void CheckLength(int field, const std::string& text) {
    if (text.size() > kMaxFieldLength) throw NamedFieldError(readmsg::TooLong(static_cast<TInputField>(field)));
}

// The first coordinate that has no finite value and derivatives at any sample
// of the domain, or -1.
int CoordinateWithoutFiniteValues(const TLocalGeometry& surface, const TDomainMap& map) {
    const std::vector<Vector2> samples = DomainSamples(map.min2D, map.max2D);
    for (int i = xField; i <= wField; ++i) {
        bool finite = false;
        for (const Vector2& p : samples) {
            const TSurfaceDerivatives d = surface.Derivatives(p);
            finite = std::isfinite(d.x[i]) && std::isfinite(d.xu[i]) && std::isfinite(d.xv[i]) &&
                     std::isfinite(d.xuu[i]) && std::isfinite(d.xuv[i]) && std::isfinite(d.xvv[i]);
            if (finite) break;
        }
        if (!finite) return i;
    }
    return -1;
}

}  // namespace

std::string TReadResult::FieldMessage() const {
    if (messageNamesField || failedField < 0 || failedField >= kInputFields) return message;
    return std::string(FieldName(failedField)) + ": " + message;
}

TSurfaceSession::TSurfaceSession(int workerSets)
    : texts_(DefaultSurfaceTexts()),
      formulaParser_(std::make_unique<TFormulaCompiler>()),
      mainSet_(std::make_unique<TEngineSet>()) {
    for (int i = 0; i < 4; ++i) InputStrs_[i] = kDocumentHeader[i];
    const int n = std::max(workerSets, 0);
    workerSets_.reserve(n);
    for (int k = 0; k < n; ++k) workerSets_.push_back(std::make_unique<TEngineSet>());
    surface_ = std::make_unique<TLocalGeometry>(*mainSet_);
}

TSurfaceSession::~TSurfaceSession() = default;

std::vector<TEngineSet*> TSurfaceSession::WorkerSets() const {
    std::vector<TEngineSet*> sets;
    sets.reserve(workerSets_.size());
    for (const auto& set : workerSets_) sets.push_back(set.get());
    return sets;
}

TPointProbe TSurfaceSession::Probe(const Vector2& p, TLineClass lineClass) const {
    // A class without directions anywhere shows no cross: its directions would be rounding noise.
    return ProbePoint(*surface_, p, lineClass, map_.span2D, !DirectionsVanish(lineClass));
}

void TSurfaceSession::ReadFormula(int i, TEngineSetsBuild& build) {
    std::string& text = texts_[i];
    text = TrimInput(text);
    fieldsTrimmed_ = i + 1;
    if (text.empty()) throw VelmoraError(readmsg::BlankField);
    CheckLength(i, text);
    // The bounds of integrals (not allowed here) would be the corners of U.
    const std::vector<double> minCorner{map_.min2D[0], map_.min2D[1]};
    const std::vector<double> maxCorner{map_.max2D[0], map_.max2D[1]};
    // The parser's own code would never be called: the engine sets compile
    // the program it yields (and refuse what it could not compile).
    formulaParser_->ParseNewText(text, "uv", "", {}, minCorner, maxCorner);
    // Every engine set gets the evaluator and the symbolic object of this
    // coordinate; the code of each set is published when all four are in.
    build.Coordinate(i, *formulaParser_, text);
    InputStrs_[4 + i] = text;
}

void TSurfaceSession::ReadBound(int i, Vector2& minCorner, Vector2& maxCorner) {
    std::string& text = texts_[i];
    text = TrimInput(text);
    fieldsTrimmed_ = i + 1;
    if (text.empty()) throw VelmoraError(readmsg::BlankField);
    CheckLength(i, text);
    const double value = EvaluateConstantFormula(text);
    // Infinities and not-a-number would make the map of U meaningless.
    if (!std::isfinite(value)) throw VelmoraError(readmsg::NotFinite(static_cast<TInputField>(i)));
    switch (i) {
        case uMinField: minCorner[0] = value; break;
        case uMaxField: maxCorner[0] = value; break;
        case vMinField: minCorner[1] = value; break;
        default: maxCorner[1] = value; break;
    }
    // A bound read stays read even when a later field fails.
    map_.min2D = minCorner;
    map_.max2D = maxCorner;
    InputStrs_[4 + i] = text;
    if (i == uMaxField && !(minCorner[0] < maxCorner[0])) throw VelmoraError(readmsg::UMinNotLess);
    if (i == vMaxField && !(minCorner[1] < maxCorner[1])) throw VelmoraError(readmsg::VMinNotLess);
}

TReadResult TSurfaceSession::Run(int fields) {
    TReadResult result;
    // What a read that cannot publish its code gives back: the surface of the
    // last successful read, as it was.
    const bool wasParsed = alreadyParsed_;
    const TDomainMap previousMap = map_;
    const std::array<std::string, 12> previousStrs = InputStrs_;
    alreadyParsed_ = false;
    fieldsTrimmed_ = 0;
    int field = -1;  // the field being read; -1 while the domain as a whole is checked
    std::vector<TEngineSet*> sets{mainSet_.get()};
    for (auto& set : workerSets_) sets.push_back(set.get());
    // The formulas are compiled into every set, and the code published when
    // the whole input has been read; until then, and after any error, every
    // engine keeps the code of the last successful read.
    TEngineSetsBuild build(sets);
    try {
        for (field = xField; field <= wField && field < fields; ++field) ReadFormula(field, build);
        if (fields > uMinField) {
            Vector2 minCorner = map_.min2D, maxCorner = map_.max2D;
            for (field = uMinField; field <= vMaxField; ++field) ReadBound(field, minCorner, maxCorner);
            field = -1;
            TDomainMap next;
            next.Setup(minCorner, maxCorner);
            // The edges must give representable, positive scales of the panel.
            if (!(std::isfinite(next.cX) && next.cX > 0)) throw VelmoraError(readmsg::NoScale('u'));
            if (!(std::isfinite(next.cY) && next.cY > 0)) throw VelmoraError(readmsg::NoScale('v'));
            if (!std::isfinite(next.span2D)) throw VelmoraError(readmsg::DomainTooLarge);
            map_ = next;
        }
        field = -1;
    } catch (const std::exception& e) {
        result.message = e.what();
        result.messageNamesField = dynamic_cast<const NamedFieldError*>(&e) != nullptr;
        result.fieldsTrimmed = fieldsTrimmed_;
        result.failedField = field;
        return result;
    }
    try {
        build.Commit();
    } catch (const std::exception& e) {
        // Executable memory refused: the input was sound, the previous surface stays.
        alreadyParsed_ = wasParsed;
        map_ = previousMap;
        InputStrs_ = previousStrs;
        result.message = e.what();
        result.fieldsTrimmed = fieldsTrimmed_;
        result.codeNotPublished = true;
        return result;
    }
    directionsVanish_ = {};
    result.fieldsTrimmed = fieldsTrimmed_;
    // A coordinate that overflows everywhere (10^400 u v) leaves no point with
    // a frame: the read fails rather than leave a surface that shows nothing.
    if (fields == kInputFields) {
        if (const int i = CoordinateWithoutFiniteValues(*surface_, map_); i >= 0) {
            result.message = readmsg::NotFiniteValues(static_cast<TInputField>(i));
            result.messageNamesField = true;
            result.failedField = i;
            return result;
        }
    }
    result.ok = true;
    return result;
}

TReadResult TSurfaceSession::ReadFormulas() { return Run(uMinField); }

TReadResult TSurfaceSession::ReadData() {
    TReadResult result = Run(kInputFields);
    if (!result) return result;
    dirty_ = true;
    alreadyParsed_ = true;
    ++readCount_;
    stores_.InitializeLines();
    stores_.InitializeLoci();
    ClearSpecialPoints();
    return result;
}

TLocusTrace TSurfaceSession::TraceLocusWith(TEngineSet& engines, TLocusKind kind, std::stop_token stop,
                                            const std::function<void(int, int)>& progress) const {
    TLocusTrace trace;
    trace.kind = kind;
    const TLocalGeometry surface(engines);
    try {
        if (InvariantVanishes(surface, kind, map_.min2D, map_.max2D)) {
            trace.end = TLocusEnd::Vanishes;
            return trace;
        }
        // The tracer's flag grid is large: it lives on the heap, one per trace.
        const auto tracer = std::make_unique<TImplicitCurveTracer>();
        const bool scanned = tracer->ComputeImplicitCurve(
            LocusFunction(surface, kind),
            [&trace](const Vector2& p, int key) { trace.knots.push_back({static_cast<uint8_t>(key), p}); },
            map_.min2D, map_.max2D, 40, 464, map_.radius2D, std::move(stop), [&](int done, int cells) {
                trace.cellsDone = done;
                trace.cells = cells;
                if (progress) progress(done, cells);
            });
        trace.end = scanned ? TLocusEnd::Finished : TLocusEnd::Stopped;
    } catch (const std::exception&) {
        // An error while seeding ends the scan; the pieces found so far stay.
        trace.end = TLocusEnd::Halted;
    }
    return trace;
}

void TSurfaceSession::StoreLocus(TLocusTrace trace) { stores_.SetLocus(trace.kind, std::move(trace.knots)); }

std::optional<TLocusEnd> TSurfaceSession::TraceLocus(TLocusKind kind, std::stop_token stop) {
    if (!alreadyParsed_ || !IsInvariantKind(kind)) return std::nullopt;
    TLocusTrace trace = TraceLocusWith(*mainSet_, kind, std::move(stop));
    const TLocusEnd end = trace.end;
    StoreLocus(std::move(trace));
    return end;
}

bool TSurfaceSession::DirectionsVanish(TLineClass lineClass) const {
    if (!alreadyParsed_ || (!IsLowDegree(lineClass) && !IsHigherDegree(lineClass))) return false;
    std::optional<bool>& known = directionsVanish_[static_cast<std::size_t>(lineClass)];
    if (!known) known = velmora::DirectionsVanish(*surface_, lineClass, map_.min2D, map_.max2D);
    return *known;
}

std::optional<TTraceOutcome> TSurfaceSession::TraceLines(int curvesParts, TLineClass lineClass, const Vector2& start,
                                                         uint8_t showFoliations, const TLineTraceTarget& target,
                                                         std::stop_token stop) {
    if (!alreadyParsed_ || !(IsLowDegree(lineClass) || IsHigherDegree(lineClass))) return std::nullopt;
    const TSegmentSink store = [&](const TCurvePiece& piece) {
        // Only a new curve takes a colour; a colour code outside the classes'
        // (every code of classes 1 to 4) gives it the picker's.
        const TColor pickerColour = piece.newCurve && target.curveColour ? target.curveColour() : TColor{0};
        stores_.AddLineSegmentExtremals(piece.to, piece.newCurve ? 1 : 0, piece.colourCode, pickerColour);
        if (target.show) target.show(piece, stores_.CurrentCurve()->c);
    };
    return DrawLineField(*surface_, map_, curvesParts, lineClass, start, showFoliations, store, std::move(stop));
}

std::vector<TEngineSet*> TSurfaceSession::ScanSets() {
    std::vector<TEngineSet*> sets = WorkerSets();
    if (sets.empty()) sets.push_back(mainSet_.get());
    return sets;
}

std::optional<TSpecialPointsResult> TSurfaceSession::FindSpecialPoints(TLineClass lineClass,
                                                                       const TSpecialPointOptions& options,
                                                                       std::stop_token stop) {
    if (!alreadyParsed_ || !HasSpecialPoints(lineClass)) return std::nullopt;
    TSpecialPointsResult result =
        velmora::FindSpecialPoints(ScanSets(), map_.min2D, map_.max2D, lineClass, options, std::move(stop));
    if (!result.stopped) StoreSpecialPoints(result);
    return result;
}

}  // namespace velmora
