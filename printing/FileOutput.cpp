#include "printing/FileOutput.h"

#include <QFile>

namespace velmora {

TFileOutput WriteFileThroughDevice(const std::string& path, const std::function<bool(QIODevice& device)>& write) {
    TAtomicFile file(path);
    if (TFileWriteResult opened = file.Open(); !opened) return {opened, {}};
    {
        // Qt's file over the temporary file's descriptor, which stays open
        // for the commit; everything Qt buffered is written before that.
        QFile device;
        if (!device.open(file.Descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
            return {{TFileWriteFailure::Content, 0}, device.errorString()};
        const bool made = write(device);
        const bool flushed = device.flush();
        if (!made || !flushed || device.error() != QFileDevice::NoError) {
            const QString deviceError = device.error() != QFileDevice::NoError ? device.errorString() : QString();
            file.Discard();
            return {{TFileWriteFailure::Content, 0}, deviceError};
        }
    }
    return {file.Commit(), {}};
}

}  // namespace velmora
