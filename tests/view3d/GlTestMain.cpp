// The 3D view's tests need an OpenGL context: without one the program fails
// at once, saying so, instead of passing without having drawn anything.
#include "tests/canvas/TestApp.h"
#include "view3d/OffscreenRenderer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TestApp();
    if (QString reason; !velmora::OpenGLWindowsAvailable(&reason)) {
        std::fprintf(stderr, "test_view3d: %s (DISPLAY=%s); run it under xvfb-run with QT_QPA_PLATFORM=xcb\n", qPrintable(reason),
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "unset");
        return 1;
    }
    return RUN_ALL_TESTS();
}
