// TSurfaceSession: the working state of one surface, without any display.
// It holds the eight input texts and reads them as "Enter" does (trimming,
// blank and bound checks, the engines' messages), the compiled engines (the
// formula parser, the engine set and surface object of the calling thread,
// one further engine set per background worker), the map of the domain, and
// the stored drawings (loci, curves, coordinate points). The window and the
// command-line companion both work through it; neither repeats the pipeline.
//
// One thread uses a session; the worker engine sets are handed to background
// workers (or to one locus trace), each to one worker, and must not be rebuilt
// (ReadData) while they run.
#pragma once

#include "curves/TraceSink.h"
#include "geometry/DomainMap.h"
#include "geometry/EngineSet.h"
#include "geometry/LocalGeometry.h"
#include "geometry/LineClass.h"
#include "geometry/ScalarInvariants.h"
#include "platform/Colour.h"
#include "points/SpecialPointScan.h"
#include "session/DrawingStores.h"
#include "session/PointProbe.h"
#include "session/SurfaceInput.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace velmora {

class TFormulaCompiler;

// What a line trace of the session does besides storing its curves.
struct TLineTraceTarget {
    // The colour of a new curve without a class colour (the picker's), asked
    // as the curve begins.
    std::function<TColor()> curveColour;
    // Shown each piece once it is stored, with the colour of its curve (the
    // first piece of a curve has from = to); may be empty.
    std::function<void(const TCurvePiece&, TColor)> show;
};

// What a read found. The texts of the fields it reached (fieldsTrimmed of them,
// in field order) are trimmed in the session, so that the caller can show
// them trimmed; on failure, message is the error and failedField the field
// being read (-1 when the fields were read but the domain has no usable scale).
struct TReadResult {
    bool ok = false;
    std::string message;
    int fieldsTrimmed = 0;
    int failedField = -1;
    // The message names the field already (the limit of a field's length,
    // values that are not finite).
    bool messageNamesField = false;
    // The input was sound but its code could not be published (executable
    // memory was refused): the session kept the surface it had, read or not.
    bool codeNotPublished = false;
    explicit operator bool() const { return ok; }
    // The message with the field it concerns in front, as the window shows it:
    // "z(u,v): Check the parentheses, please."
    std::string FieldMessage() const;
};

// How a locus trace ended.
enum class TLocusEnd {
    Finished,  // the whole domain was scanned
    Vanishes,  // the invariant vanishes on the whole domain: nothing was traced
    Stopped,   // the stop request ended the scan; the pieces found so far are kept
    Halted,    // an error of the geometry while seeding ended the scan; the pieces found so far are kept
};

// A locus traced, not stored yet.
struct TLocusTrace {
    TLocusKind kind = TLocusKind::GaussCurvature;
    TLocusEnd end = TLocusEnd::Finished;
    wireKnots knots;
    int cellsDone = 0, cells = 0;  // coarse cells of the domain scanned, of all
};

class TSurfaceSession {
public:
    // InputStrs[0..3], the header lines of a document.
    static constexpr const char* kDocumentHeader[4] = {"vm4", "Quorvel Dastimaro-Ulbenki", "0", "8"};

    // Creates the engines: the parser, the set of the calling thread and
    // `workerSets` further sets (at least 0). The input starts as the default
    // surface, unread.
    explicit TSurfaceSession(int workerSets);
    ~TSurfaceSession();
    TSurfaceSession(const TSurfaceSession&) = delete;
    TSurfaceSession& operator=(const TSurfaceSession&) = delete;

    // ---- input ------------------------------------------------------------------
    const std::string& InputText(int field) const { return texts_.at(field); }
    const TInputTexts& InputTexts() const { return texts_; }
    void SetInputText(int field, std::string text) { texts_.at(field) = std::move(text); }
    void SetInputTexts(const TInputTexts& texts) { texts_ = texts; }
    // The twelve lines of the document: the header, then the texts last read.
    const std::array<std::string, 12>& InputStrs() const { return InputStrs_; }

    // Reads the formulas x, y, z, w and then the bounds uMin, uMax, vMin, vMax:
    // each field is trimmed, refused when blank, and compiled into every engine
    // set (a bound is evaluated instead). A bound must be finite; after uMax and
    // after vMax the minimum must be less than the maximum; the domain must give
    // the panel a usable scale. An error ends the read where it happens: the
    // fields read before it stay trimmed and stored in InputStrs, the bounds
    // read before it stay in the map's corners, and the session is unread
    // until the next successful read; the engines keep the code of the last
    // successful read (nothing uses it while unread). When the input is sound
    // but its code cannot be published, nothing changes: the session keeps
    // its surface, read or not (codeNotPublished). A success empties the stores.
    TReadResult ReadData();
    // Reads only the four formulas (for work that needs no domain); the
    // session stays unread.
    TReadResult ReadFormulas();

    // The last read succeeded.
    bool alreadyParsed() const { return alreadyParsed_; }
    // Counts the successful reads: a new value means a new surface.
    uint64_t ReadCount() const { return readCount_; }
    // The input was read since the document was last opened or saved.
    bool dirty() const { return dirty_; }
    void SetDirty(bool value) { dirty_ = value; }

    // ---- engines and domain ----------------------------------------------------------
    const TDomainMap& Map() const { return map_; }
    int numOfCPU() const { return static_cast<int>(workerSets_.size()); }
    // The surface object of the calling thread, bound to its engine set.
    TLocalGeometry& Surface() { return *surface_; }
    const TLocalGeometry& Surface() const { return *surface_; }
    TEngineSet& MainEngines() { return *mainSet_; }
    // Worker k's engine set; no two threads may use one set.
    std::vector<TEngineSet*> WorkerSets() const;
    // The geometry at p as the panels show it, with the cross of lineClass
    // scaled to the domain.
    TPointProbe Probe(const Vector2& p, TLineClass lineClass) const;

    // ---- stored drawings -----------------------------------------------------------
    TDrawingStores& Stores() { return stores_; }
    const TDrawingStores& Stores() const { return stores_; }

    // Traces the locus of a kind over the whole domain with the engine set
    // `engines` (the session's own, or a worker's while the session's thread
    // goes on with other work) and returns it without storing it. It reads the
    // domain only; the session must not be read anew meanwhile. An invariant
    // that vanishes on the whole domain is not traced (its zero set would be
    // rounding noise). The stop token is looked at before each coarse cell;
    // progress(cellsDone, cells) follows the scan. Call only after a successful read.
    TLocusTrace TraceLocusWith(TEngineSet& engines, TLocusKind kind, std::stop_token stop = {},
                               const std::function<void(int cellsDone, int cells)>& progress = {}) const;
    // Stores a trace as the locus of its kind, replacing the earlier one.
    void StoreLocus(TLocusTrace trace);
    // Traces with the session's own engines and stores the locus (a stop
    // request ends the trace early, keeping the pieces found until then);
    // none (nothing traced) before a successful read or for a value that is no kind.
    std::optional<TLocusEnd> TraceLocus(TLocusKind kind, std::stop_token stop = {});

    // The form of the directions of a line class vanishes on the whole domain
    // (the class has no direction to follow anywhere). Decided once per read.
    bool DirectionsVanish(TLineClass lineClass) const;
    // Traces up to curvesParts half-branches of a line class (not the
    // coordinate lines) through start, those of the foliations set in
    // showFoliations, and stores every piece in the curves (a new curve in the
    // colour of its class, or in target.curveColour()) before it shows it to
    // the target. The stop token ends the trace; what was stored stays.
    // Nothing (no outcome) before a successful read or for another kind.
    std::optional<TTraceOutcome> TraceLines(int curvesParts, TLineClass lineClass, const Vector2& start,
                                            uint8_t showFoliations, const TLineTraceTarget& target,
                                            std::stop_token stop = {});

    // ---- special points ------------------------------------------------------------
    // The last complete result of a search for special points (null before
    // one, and after a successful read); the panel, the page and the data
    // panel show it.
    const TSpecialPointsResult* SpecialPoints() const { return specialPoints_ ? &*specialPoints_ : nullptr; }
    void StoreSpecialPoints(TSpecialPointsResult result) {
        specialPoints_ = std::move(result);
        ++specialPointsRevision_;
    }
    void ClearSpecialPoints() {
        specialPoints_.reset();
        ++specialPointsRevision_;
    }
    // Grows with every change of the stored special points (the 3D view lifts them anew).
    uint64_t SpecialPointsRevision() const { return specialPointsRevision_; }
    // The engine sets a search runs on: the workers', or the calling
    // thread's when the session has none.
    std::vector<TEngineSet*> ScanSets();
    // Finds the special points of lineClass (0 to 4) over the domain on those
    // sets, waits for them and stores a complete result. Nothing before a
    // successful read or for a class without special points.
    std::optional<TSpecialPointsResult> FindSpecialPoints(TLineClass lineClass,
                                                          const TSpecialPointOptions& options = {},
                                                          std::stop_token stop = {});

private:
    void ReadFormula(int i, TEngineSetsBuild& build);
    void ReadBound(int i, Vector2& minCorner, Vector2& maxCorner);
    TReadResult Run(int fields);

    TInputTexts texts_;
    std::array<std::string, 12> InputStrs_;
    bool alreadyParsed_ = false;
    bool dirty_ = false;
    uint64_t readCount_ = 0;
    TDomainMap map_;
    int fieldsTrimmed_ = 0;

    std::unique_ptr<TFormulaCompiler> formulaParser_;
    std::unique_ptr<TEngineSet> mainSet_;
    std::vector<std::unique_ptr<TEngineSet>> workerSets_;
    std::unique_ptr<TLocalGeometry> surface_;
    // Per line class: unknown until asked after a read, then whether its
    // directions vanish on the whole domain.
    mutable std::array<std::optional<bool>, kLineClassCount> directionsVanish_{};

    TDrawingStores stores_;
    std::optional<TSpecialPointsResult> specialPoints_;
    uint64_t specialPointsRevision_ = 0;
};

}  // namespace velmora
