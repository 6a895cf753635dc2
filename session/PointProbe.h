// What the window shows of one point of the domain under the pointer, as a
// value: the frame (for the ellipse panel), the nine values of the data panel
// and the cross of directions of the chosen line class. The window's mouse
// handler and velmora4-cli invariants both take it from here.
#pragma once

#include "geometry/LineClass.h"
#include "geometry/LocalGeometry.h"
#include "platform/VelmoraTypes.h"

#include <optional>

namespace velmora {

struct TPointProbe {
    Vector2 p{};
    TLineClass lineClass = TLineClass::CoordinateLines;
    // None where the surface is not immersed at p (or cannot be evaluated).
    std::optional<TLocalFrame> frame;
    // The data-panel values with the depth of the origin measured by the
    // confocal ellipse through it; none when one of them is not a number.
    std::optional<TInvariants> invariants;
    // The same values with the affine depth of the origin, present when they
    // are numbers and the cross of lineClass was found (for the coordinate
    // lines the cross is empty); `cross` holds it then.
    std::optional<TInvariants> crossValues;
    TDirectionCross cross;

    // The values the data panel shows: with a line class chosen, those that
    // came with its cross, else the others; with the coordinate lines the
    // other way round. None when the point has no values.
    const TInvariants* Shown() const;
    // The shown values came with the cross, which replaces the one on the panel.
    bool CrossShown() const;
};

// The probe of p with the surface's engines; span2D sets the length of the
// cross segments of classes 1 to 4 (0.025 span2D each way). Without
// directions (a class whose directions vanish on the whole domain) no cross
// is looked for, and the values are those without one.
TPointProbe ProbePoint(const TLocalGeometry& surface, const Vector2& p, TLineClass lineClass, double span2D,
                       bool withDirections = true);

}  // namespace velmora
