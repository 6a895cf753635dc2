#include "session/SessionTracerHost.h"

#include "session/SurfaceSession.h"

namespace velmora {

const TDomainMap& TSessionTracerHost::Map() const { return session_.Map(); }

void TSessionTracerHost::AddAndDrawLineSegment(const Vector2& vec1, const Vector2& vec2, uint8_t key) {
    TDrawingStores& stores = session_.Stores();
    stores.AddLineSegment(vec2, key, CurveColour());
    DrawSegment(vec1, vec2, stores.CurrentCurve()->c);
}

void TSessionTracerHost::AddAndDrawLineSegmentExtremals(const Vector2& vec1, const Vector2& vec2, uint8_t key,
                                                        int cl) {
    TDrawingStores& stores = session_.Stores();
    stores.AddLineSegmentExtremals(vec2, key, cl, CurveColour());
    DrawSegment(vec1, vec2, stores.CurrentCurve()->c);
}

}  // namespace velmora
