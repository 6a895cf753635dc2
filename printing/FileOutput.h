// Qt's writers (images, SVG drawings, PDF pages) writing into a file that
// appears whole or not at all: they write into a QIODevice over the
// temporary file of a TAtomicFile, which replaces the target only when all
// of the content has reached the disk.
#pragma once

#include "platform/AtomicFile.h"

#include <QString>

#include <functional>
#include <string>

class QIODevice;

namespace velmora {

struct TFileOutput {
    TFileWriteResult result;
    // For TFileWriteFailure::Content: the device's own complaint (a full
    // disk while Qt wrote), or empty when the writer gave up by itself.
    QString deviceError;
    explicit operator bool() const { return static_cast<bool>(result); }
};

// Writes path through `write`, which fills the device and answers whether
// the content could be made. An exception from `write` leaves the target as
// it was and goes on to the caller.
TFileOutput WriteFileThroughDevice(const std::string& path, const std::function<bool(QIODevice& device)>& write);

}  // namespace velmora
