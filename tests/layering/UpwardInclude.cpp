// Must not compile: the geometry layer sees only itself and the layers below
// it, and the curve tracers lie above it.
#include "curves/LineFieldTracer.h"
