// A plain view of 32-bit pixel rows owned by someone else (the window's
// QImage::Format_RGB32, a page bitmap, a test buffer): blue in the low byte,
// alpha byte 0xFF. The owner keeps size, format and memory unchanged while
// anybody writes through the view.
#pragma once

#include <cstddef>
#include <cstdint>

namespace velmora {

struct TPixelView {
    uint8_t* firstRow = nullptr;  // address of row 0
    std::ptrdiff_t stride = 0;    // bytes from one row to the next
    int width = 0;
    int height = 0;

    uint32_t* Row(int y) const { return reinterpret_cast<uint32_t*>(firstRow + stride * y); }
    bool Valid() const { return firstRow != nullptr && width > 0 && height > 0; }
};

}  // namespace velmora
