#include "session/Document.h"

#include "session/SurfaceSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {

namespace {

namespace fs = std::filesystem;

std::string Reason(int error) { return std::generic_category().message(error); }

// Closes a file descriptor when it goes out of scope.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : fd_(fd) {}
    ~TFileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now; the error of close (a delayed write error) or 0.
    int Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int fd_;
};

// Splits at CR LF, LF or a lone CR; a terminator at the very end opens no further line.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool IsTextByte(unsigned char c) { return c >= 32 || c == '\t' || c == '\n' || c == '\r'; }

// Line 3 read as an integer: optional leading blanks and sign, then digits only.
bool ReadsAsEight(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    if (i < line.size() && line[i] == '+') ++i;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(line.data() + i, line.data() + line.size(), value);
    return ec == std::errc() && ptr == line.data() + line.size() && value == 8;
}

// The message of the first header check that fails, or empty.
std::string HeaderMessage(const std::vector<std::string_view>& lines) {
    const auto& header = TSurfaceSession::kDocumentHeader;
    if (lines.size() < 2 || lines[0] != header[0] || lines[1] != header[1]) return "Wrong file type";
    if (lines.size() < 3 || lines[2] != header[2]) return "Version unsupported";
    if (lines.size() < 12 || !ReadsAsEight(lines[3])) return "The file seems to be corrupted";
    return {};
}

TDocumentRead Refused(std::string message) {
    TDocumentRead r;
    r.message = std::move(message);
    return r;
}

// Writes all of data, going on after partial writes and interruptions; 0 or the error.
int WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

std::string DisplayName(const std::string& path) {
    fs::path p(path);
    if (p.filename().empty()) p = p.parent_path();  // "folder/" names the folder
    const std::string name = p.filename().string();
    return name.empty() ? path : name;
}

std::string DocumentText(const TDocumentLines& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line.empty() ? std::string(" ") : line;
        text += "\r\n";
    }
    return text;
}

TDocumentRead ParseDocument(std::string_view content, const std::string& name) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) content.remove_prefix(kByteOrderMark.size());
    for (const char c : content)
        if (!IsTextByte(static_cast<unsigned char>(c)))
            return Refused(name + " is not a text file: it is not a Velmora4 document");
    const std::vector<std::string_view> lines = SplitLines(content);
    if (lines.size() < static_cast<std::size_t>(kInputFields))
        return Refused(name + " has fewer than eight lines: it is not a Velmora4 document");

    TDocumentRead r;
    r.ok = true;
    r.headerMessage = HeaderMessage(lines);
    const std::size_t first = r.headerMessage.empty() ? 4 : 0;
    for (int i = 0; i < kInputFields; ++i) r.texts[i] = std::string(lines[first + i]);
    return r;
}

TDocumentRead ReadDocument(const std::string& path) {
    const std::string name = DisplayName(path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return Refused("Cannot open " + name + ": " + Reason(errno));
    if (S_ISDIR(st.st_mode)) return Refused(name + " is a folder, not a document");
    if (!S_ISREG(st.st_mode)) return Refused(name + " is not a regular file: it is not a Velmora4 document");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxDocumentBytes)
        return Refused(name + " is larger than 1 MiB: it is not a Velmora4 document");

    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return Refused("Cannot open " + name + ": " + Reason(errno));
    // Read one byte more than allowed, so that a file that grew since stat is noticed.
    std::string content(kMaxDocumentBytes + 1, '\0');
    std::size_t size = 0;
    while (size < content.size()) {
        const ssize_t n = ::read(fd.get(), content.data() + size, content.size() - size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Refused("Cannot read " + name + ": " + Reason(errno));
        }
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    if (size > kMaxDocumentBytes) return Refused(name + " is larger than 1 MiB: it is not a Velmora4 document");
    content.resize(size);
    return ParseDocument(content, name);
}

TDocumentWrite WriteDocument(const std::string& path, const TDocumentLines& lines) {
    const std::string name = DisplayName(path);
    const auto failed = [&](int error) { return TDocumentWrite{false, "Cannot save " + name + ": " + Reason(error)}; };

    std::error_code ec;
    fs::path target(path);
    // Saving through a link writes the file it points to and keeps the link.
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return {false, "Cannot save " + name + ": it is a folder"};
    if (exists && !S_ISREG(existing.st_mode)) return {false, "Cannot save " + name + ": it is not a regular file"};

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fdNumber = -1;
    for (int attempt = 0; attempt < 100 && fdNumber < 0; ++attempt) {
        temporary = (folder / ("." + target.filename().string() + ".save-" + std::to_string(::getpid()) + "-" +
                               std::to_string(counter++)))
                        .string();
        fdNumber = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fdNumber < 0 && errno != EEXIST) return failed(errno);
    }
    if (fdNumber < 0) return failed(EEXIST);
    TFileDescriptor fd(fdNumber);
    if (exists) (void)::fchmod(fd.get(), existing.st_mode & 07777);

    const auto discard = [&](int error) {
        ::unlink(temporary.c_str());
        return failed(error);
    };
    if (const int error = WriteAll(fd.get(), DocumentText(lines))) return discard(error);
    if (::fsync(fd.get()) != 0) return discard(errno);
    if (const int error = fd.Close()) return discard(error);
    if (::rename(temporary.c_str(), target.c_str()) != 0) return discard(errno);
    // Make the new directory entry durable as well (best effort).
    TFileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) (void)::fsync(dir.get());
    return {true, {}};
}

}  // namespace velmora
