// Looking at a PDF file as a reader sees it: its page count from poppler's
// pdfinfo and its pages rendered to pixels by pdftoppm (vector lines without
// anti-aliasing, so that a printer pixel wide line leaves whole pixels).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace pdfpages {

struct Rgb {
    int r = 255, g = 255, b = 255;
    bool Dark() const { return r + g + b < 3 * 96; }
    bool White() const { return r > 245 && g > 245 && b > 245; }
    bool Grey() const { return std::abs(r - g) < 12 && std::abs(g - b) < 12; }
    bool Near(Rgb o, int tolerance) const {
        return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance;
    }
};

struct Page {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    Rgb At(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return {};
        const std::size_t i = 3 * (std::size_t(y) * width + x);
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
    // Some pixel within `radius` of (x, y) is dark.
    bool DarkNear(int x, int y, int radius = 2) const {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (At(x + dx, y + dy).Dark()) return true;
        return false;
    }
    // Dark pixels in the rectangle [x0, x1) x [y0, y1).
    int DarkIn(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y).Dark() ? 1 : 0;
        return n;
    }
};

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// The tools come with poppler-utils (tools/deps.sh installs it).
inline bool HavePoppler() { return std::system("command -v pdftoppm >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") == 0; }

inline int PageCount(const std::filesystem::path& pdf) {
    const std::string command = "pdfinfo " + Quote(pdf.string()) + " 2>/dev/null";
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) return -1;
    char line[512];
    int pages = -1;
    while (std::fgets(line, sizeof line, p))
        if (std::sscanf(line, "Pages: %d", &pages) == 1) break;
    ::pclose(p);
    return pages;
}

// Page `number` (from 1) at `dpi` dots per inch.
inline Page Render(const std::filesystem::path& pdf, int number, int dpi) {
    const std::filesystem::path out = pdf.parent_path() / (pdf.stem().string() + "-render");
    const std::string command = "pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(number) + " -l " +
                                std::to_string(number) + " -singlefile -aaVector no " + Quote(pdf.string()) + " " +
                                Quote(out.string()) + " 2>/dev/null";
    Page page;
    if (std::system(command.c_str()) != 0) return page;
    std::ifstream in(out.string() + ".ppm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> page.width >> page.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) return {};
    page.rgb.resize(3 * std::size_t(page.width) * page.height);
    in.read(reinterpret_cast<char*>(page.rgb.data()), std::streamsize(page.rgb.size()));
    std::filesystem::remove(out.string() + ".ppm");
    return page;
}

}  // namespace pdfpages

#define REQUIRE_POPPLER() \
    ASSERT_TRUE(pdfpages::HavePoppler()) << "pdftoppm and pdfinfo (Debian's poppler-utils) are needed: run tools/deps.sh"
