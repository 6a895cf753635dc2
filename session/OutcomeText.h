// The words of what a trace or a background found, shared by the window's
// status bar and velmora4-cli's standard error.
#pragma once

#include "curves/TraceSink.h"
#include "geometry/ScalarInvariants.h"
#include "session/SurfaceSession.h"

#include <string>

namespace velmora {

// "The Gauss curvature vanishes on the whole domain".
std::string InvariantVanishesText(TInvariantKind kind);

// Why a line trace drew nothing, or that an error ended it: "Computation
// halted", the messages of a start point without principal or asymptotic
// directions, and "There are no principal lines: the form of their directions
// vanishes on the whole domain"; "" otherwise (a stop is worded by the caller,
// who knows what stopped it).
std::string LineTraceText(const TTraceOutcome& outcome);

// How a locus trace ended, when there is something to say: the invariant
// vanishes, an error ended it ("Computation halted"), or a stop did ("Locus
// stopped: 640 of 1600 cells scanned"); "" when it ran to its end.
std::string LocusTraceText(const TLocusTrace& trace);

}  // namespace velmora
