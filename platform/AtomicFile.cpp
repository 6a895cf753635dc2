#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace velmora {

namespace {

namespace fs = std::filesystem;

// The file a write to path replaces: the one a symbolic link leads to.
fs::path ResolvedTarget(const std::string& path) {
    fs::path target(path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    return target;
}

fs::path FolderOf(const fs::path& target) { return target.has_parent_path() ? target.parent_path() : fs::path("."); }

}  // namespace

std::string SystemErrorText(int error) { return std::generic_category().message(error); }

TAtomicFile::TAtomicFile(const std::string& path) : target_(path) {}

TAtomicFile::~TAtomicFile() { Discard(); }

TFileWriteResult TAtomicFile::CheckTarget(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};  // a new file (or a folder the write will report)
    if (S_ISDIR(st.st_mode)) return {TFileWriteFailure::Folder, 0};
    if (!S_ISREG(st.st_mode)) return {TFileWriteFailure::NotRegularFile, 0};
    return {};
}

TFileWriteResult TAtomicFile::Fail(int error) {
    Discard();
    return {TFileWriteFailure::System, error};
}

TFileWriteResult TAtomicFile::Open() {
    Discard();
    if (TFileWriteResult check = CheckTarget(target_); !check) return check;
    const fs::path target = ResolvedTarget(target_);
    target_ = target.string();
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;

    // A name of its own in the target's folder, so that the rename stays
    // within one file system; a clash with a leftover file takes the next.
    static std::atomic<unsigned> counter{0};
    const fs::path folder = FolderOf(target);
    for (int attempt = 0; attempt < 100 && !temporary_.valid(); ++attempt) {
        const std::string name = "." + target.filename().string() + ".save-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter++);
        const std::string candidate = (folder / name).string();
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temporary_.Reset(fd);
            temporaryPath_ = candidate;
        } else if (errno != EEXIST) {
            return {TFileWriteFailure::System, errno};
        }
    }
    if (!temporary_.valid()) return {TFileWriteFailure::System, EEXIST};
    if (exists) (void)::fchmod(temporary_.get(), existing.st_mode & 07777);
    return {};
}

TFileWriteResult TAtomicFile::Write(std::string_view bytes) {
    if (!temporary_.valid()) return {TFileWriteFailure::System, EBADF};
    while (!bytes.empty()) {
        const ssize_t n = ::write(temporary_.get(), bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(errno);
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

TFileWriteResult TAtomicFile::Commit() {
    if (!temporary_.valid()) return {TFileWriteFailure::System, EBADF};
    if (::fsync(temporary_.get()) != 0) return Fail(errno);
    if (const int error = temporary_.Close()) return Fail(error);
    if (::rename(temporaryPath_.c_str(), target_.c_str()) != 0) return Fail(errno);
    temporaryPath_.clear();
    // Make the new directory entry durable as well (best effort).
    TFileDescriptor folder(::open(FolderOf(fs::path(target_)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid()) (void)::fsync(folder.get());
    return {};
}

void TAtomicFile::Discard() {
    (void)temporary_.Close();
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

TFileWriteResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
    TAtomicFile file(path);
    if (TFileWriteResult r = file.Open(); !r) return r;
    if (TFileWriteResult r = file.Write(bytes); !r) return r;
    return file.Commit();
}

}  // namespace velmora
