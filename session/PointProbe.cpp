#include "session/PointProbe.h"

namespace velmora {

const TInvariants* TPointProbe::Shown() const {
    const std::optional<TInvariants>& first = lineClass == TLineClass::CoordinateLines ? invariants : crossValues;
    const std::optional<TInvariants>& second = lineClass == TLineClass::CoordinateLines ? crossValues : invariants;
    if (first) return &*first;
    if (second) return &*second;
    return nullptr;
}

bool TPointProbe::CrossShown() const {
    const TInvariants* shown = Shown();
    return shown != nullptr && shown == (crossValues ? &*crossValues : nullptr);
}

TPointProbe ProbePoint(const TLocalGeometry& surface, const Vector2& p, TLineClass lineClass, double span2D,
                       bool withDirections) {
    TPointProbe probe;
    probe.p = p;
    probe.lineClass = lineClass;
    if (lineClass == TLineClass::CoordinateLines) probe.cross.curvesParts = 0;
    probe.frame = surface.Frame(p);
    if (!probe.frame) return probe;
    const TLocalFrame& frame = *probe.frame;
    // Both sets of values share the discriminants, the costliest of them.
    const TDiscriminants discriminants = surface.Discriminants(frame);
    if (TInvariants values; InvariantsOfFrame(frame, discriminants, values)) probe.invariants = values;
    if (!withDirections) return probe;
    if (TInvariants values; CrossValuesOfFrame(frame, discriminants, values) &&
                            surface.CrossSegments(frame, lineClass, span2D, probe.cross))
        probe.crossValues = values;
    return probe;
}

}  // namespace velmora
