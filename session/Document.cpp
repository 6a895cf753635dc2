#include "session/Document.h"

#include "platform/AtomicFile.h"
#include "platform/FileDescriptor.h"
#include "session/SurfaceSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora {

namespace {

namespace fs = std::filesystem;

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
    if (::stat(path.c_str(), &st) != 0) return Refused("Cannot open " + name + ": " + SystemErrorText(errno));
    if (S_ISDIR(st.st_mode)) return Refused(name + " is a folder, not a document");
    if (!S_ISREG(st.st_mode)) return Refused(name + " is not a regular file: it is not a Velmora4 document");
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxDocumentBytes)
        return Refused(name + " is larger than 1 MiB: it is not a Velmora4 document");

    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return Refused("Cannot open " + name + ": " + SystemErrorText(errno));
    // Read one byte more than allowed, so that a file that grew since stat is noticed.
    std::string content(kMaxDocumentBytes + 1, '\0');
    std::size_t size = 0;
    while (size < content.size()) {
        const ssize_t n = ::read(fd.get(), content.data() + size, content.size() - size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Refused("Cannot read " + name + ": " + SystemErrorText(errno));
        }
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    if (size > kMaxDocumentBytes) return Refused(name + " is larger than 1 MiB: it is not a Velmora4 document");
    content.resize(size);
    return ParseDocument(content, name);
}

TDocumentWrite WriteDocument(const std::string& path, const TDocumentLines& lines) {
    const std::string cannot = "Cannot save " + DisplayName(path) + ": ";
    const TFileWriteResult written = WriteFileAtomically(path, DocumentText(lines));
    switch (written.failure) {
        case TFileWriteFailure::None: return {true, {}};
        case TFileWriteFailure::Folder: return {false, cannot + "it is a folder"};
        case TFileWriteFailure::NotRegularFile: return {false, cannot + "it is not a regular file"};
        case TFileWriteFailure::System:
        case TFileWriteFailure::Content: break;
    }
    return {false, cannot + SystemErrorText(written.error)};
}

}  // namespace velmora
