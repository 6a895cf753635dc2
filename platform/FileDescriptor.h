// An open POSIX file descriptor that is closed when it goes out of scope.
#pragma once

#include <unistd.h>

#include <cerrno>

namespace velmora {

class TFileDescriptor {
public:
    TFileDescriptor() = default;
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;

    // Takes fd in place of the descriptor held (which is closed).
    void Reset(int fd) {
        (void)Close();
        fd_ = fd;
    }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes now; 0, or the error of close (a write error the system delayed).
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        if (fd < 0) return 0;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_ = -1;
};

}  // namespace velmora
