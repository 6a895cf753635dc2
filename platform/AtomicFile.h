// Writing a file so that it appears whole or not at all: the content goes
// into a temporary file in the same folder, which is flushed to the disk and
// then renamed over the target. A failure at any point leaves the target as
// it was and removes the temporary file. Documents, figures and the files of
// velmora4-cli are all written this way.
#pragma once

#include "platform/FileDescriptor.h"

#include <string>
#include <string_view>

namespace velmora {

// Why a write did not happen.
enum class TFileWriteFailure {
    None,
    Folder,          // the target is a folder
    NotRegularFile,  // the target is a device, a pipe, a socket...
    System,          // the system refused (error holds errno)
    Content,         // the writer of the content gave up
};

struct TFileWriteResult {
    TFileWriteFailure failure = TFileWriteFailure::None;
    int error = 0;  // errno, for TFileWriteFailure::System
    explicit operator bool() const { return failure == TFileWriteFailure::None; }
};

// The system's text for errno value `error` ("Permission denied").
std::string SystemErrorText(int error);

class TAtomicFile {
public:
    // A writer for path; nothing is touched before Open. A symbolic link is
    // followed: the file it leads to is replaced and the link kept.
    explicit TAtomicFile(const std::string& path);
    // A temporary file that was not committed is removed.
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    // Whether path may be written: it does not exist, or it is a regular
    // file (through links). Folders and devices are refused before any
    // work, so that nothing is ever written over them.
    static TFileWriteResult CheckTarget(const std::string& path);

    // Checks the target and creates the temporary file beside it. A file
    // that is replaced keeps its permissions.
    TFileWriteResult Open();
    // The temporary file, open for writing (-1 before Open).
    int Descriptor() const { return temporary_.get(); }
    // Appends bytes, going on after partial writes and interruptions.
    TFileWriteResult Write(std::string_view bytes);
    // Flushes the temporary file to the disk and renames it over the target;
    // on failure the target is unchanged and the temporary file removed.
    TFileWriteResult Commit();
    // Gives the write up: the temporary file is removed.
    void Discard();

private:
    TFileWriteResult Fail(int error);

    std::string target_;
    std::string temporaryPath_;
    TFileDescriptor temporary_;
};

// Writes bytes to path atomically (Open, Write, Commit).
TFileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace velmora
