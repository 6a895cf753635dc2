// The document of a surface: a small text file (extension "vm4") that keeps
// only the input, the four coordinate formulas and the four bounds as they
// were last read. Twelve lines, each ended by CR LF:
//
//   vm4 / Quorvel Dastimaro-Ulbenki / 0 (version) / 8 (field lines that follow)
//   x, y, z, w, uMin, uMax, vMin, vMax
//
// An older layout without the four header lines (the eight texts alone) is
// read as well. The window and the command-line companion both read through
// ReadDocument; the window saves through WriteDocument, which replaces a file
// only after the new one is completely on disk.
#pragma once

#include "session/SurfaceInput.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The twelve lines of a document (the surface session's InputStrs).
using TDocumentLines = std::array<std::string, 12>;

// Files larger than this are no documents and are not read.
inline constexpr std::uintmax_t kMaxDocumentBytes = 1u << 20;

// The bytes of a document: every line ended by CR LF, an empty line written as one blank.
std::string DocumentText(const TDocumentLines& lines);

struct TDocumentRead {
    bool ok = false;
    std::string message;  // why the file was refused
    TInputTexts texts;    // x, y, z, w, uMin, uMax, vMin, vMax
    // Empty when the header was that of a current document; otherwise the
    // reason the file was taken as the older layout ("Wrong file type",
    // "Version unsupported", "The file seems to be corrupted").
    std::string headerMessage;
    explicit operator bool() const { return ok; }
};

// The eight texts of a document's content. Lines may end in CR LF, LF or CR
// alone; a UTF-8 byte order mark at the start is skipped. A current header
// takes lines 4 to 11; any other content is the older layout, lines 0 to 7.
// Refused, with a message naming `name`: content with control characters
// other than TAB, CR and LF (a binary file) and content of fewer than eight lines.
TDocumentRead ParseDocument(std::string_view content, const std::string& name);

// Reads the document at path. Refused with a message that names the file: a
// file that cannot be opened or read, a folder or anything but a regular
// file, a file larger than kMaxDocumentBytes, and what ParseDocument refuses.
TDocumentRead ReadDocument(const std::string& path);

struct TDocumentWrite {
    bool ok = false;
    std::string message;  // why nothing was saved
    explicit operator bool() const { return ok; }
};

// Writes the document to path through a temporary file in the same folder,
// which replaces path only when all of it has been written and flushed; on any
// failure path is left as it was and the temporary file is removed. A file
// that is replaced keeps its permissions; a symbolic link is followed.
TDocumentWrite WriteDocument(const std::string& path, const TDocumentLines& lines);

// The name of a file as messages show it: without its folder.
std::string DisplayName(const std::string& path);

}  // namespace velmora
