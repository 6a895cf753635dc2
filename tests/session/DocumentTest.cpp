// Documents: the twelve CR LF lines written for the input last read, the
// older headerless layout, line ends of any kind, files that are refused
// and saving that never leaves a half-written document.
#include "session/Document.h"
#include "session/SurfaceSession.h"
#include "tests/FileTestSupport.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace velmora {
namespace {

namespace fs = std::filesystem;

class DocumentTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }
    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Files in the folder other than the given one (a temporary file left behind).
    int OtherFiles(const std::string& keep) const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir))
            if (e.path().filename() != keep) ++n;
        return n;
    }

    TestFolder folder{"velmora-doc"};
    const fs::path& dir = folder.path();
};

const char* const kDefaultDocument =
    "vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\n"
    "(1-0.1 cos(v)) cos(u) + 0.1 sen(u) sen(v)\r\n"
    "(1-0.1 cos(v)) sen(u) - 0.1 cos(u) sen(v)\r\n"
    "(1-0.4 cos(v)) cos(2u) + 0.8 sen(2u) sen(v)\r\n"
    "(1-0.4 cos(v)) sen(2u) - 0.8 cos(2u) sen(v)\r\n"
    "0\r\n2 pi\r\n0\r\n2.2\r\n";

const TInputTexts kTorus = {"cos(u)", "sin(u)", "cos(v)", "sin(v)", "0", "2 pi", "-pi", "pi"};

TEST_F(DocumentTest, TheDefaultSurfaceIsSavedAsTwelveCrLfLines) {
    TSurfaceSession session(0);
    ASSERT_TRUE(session.ReadData().ok);
    const std::string path = (dir / "default.vm4").string();
    ASSERT_TRUE(WriteDocument(path, session.InputStrs()).ok);
    EXPECT_EQ(Slurp(path), kDefaultDocument);
    EXPECT_EQ(OtherFiles("default.vm4"), 0);
}

TEST_F(DocumentTest, EmptyEntriesAreWrittenAsOneBlankAndReadBackAsIt) {
    TSurfaceSession unread(0);  // nothing read: the eight texts are empty
    const std::string text = DocumentText(unread.InputStrs());
    EXPECT_EQ(text, "vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\n \r\n \r\n \r\n \r\n \r\n \r\n \r\n \r\n");
    const TDocumentRead r = ParseDocument(text, "blank.vm4");
    ASSERT_TRUE(r.ok);
    for (const std::string& t : r.texts) EXPECT_EQ(t, " ");
}

TEST_F(DocumentTest, ACurrentDocumentGivesLinesFourToEleven) {
    TDocumentLines lines = {"vm4", "Quorvel Dastimaro-Ulbenki", "0", "8"};
    for (int i = 0; i < 8; ++i) lines[4 + i] = kTorus[i];
    const std::string path = (dir / "torus.vm4").string();
    ASSERT_TRUE(WriteDocument(path, lines).ok);
    const TDocumentRead r = ReadDocument(path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.texts, kTorus);
    EXPECT_EQ(r.headerMessage, "");
}

TEST_F(DocumentTest, AFaultyHeaderFallsBackToTheOlderLayout) {
    const std::string eight = "a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\n";
    struct Case {
        std::string header;
        const char* message;
    } cases[] = {
        {"vm4\r\nQuorvel Dastimaro-Ulbenki\r\n1\r\n8\r\n", "Version unsupported"},
        {"vm5\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\n", "Wrong file type"},
        {"vm4\r\nsomebody else\r\n0\r\n8\r\n", "Wrong file type"},
        {"vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n9\r\n", "The file seems to be corrupted"},
        {"vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\neight\r\n", "The file seems to be corrupted"},
        {"vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8 \r\n", "The file seems to be corrupted"},
    };
    for (const Case& c : cases) {
        const TDocumentRead r = ParseDocument(c.header + eight, "f.vm4");
        ASSERT_TRUE(r.ok) << c.header;
        EXPECT_EQ(r.headerMessage, c.message) << c.header;
        // The first eight lines of the file, header lines included.
        EXPECT_EQ(r.texts[0], c.header.substr(0, c.header.find('\r')));
        EXPECT_EQ(r.texts[4], "a");
        EXPECT_EQ(r.texts[7], "d");
    }
    // A current header with fewer than eight texts after it is no current document.
    const TDocumentRead shortCurrent = ParseDocument("vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n8\r\na\r\nb\r\nc\r\nd\r\n", "s");
    ASSERT_TRUE(shortCurrent.ok);
    EXPECT_EQ(shortCurrent.headerMessage, "The file seems to be corrupted");
    EXPECT_EQ(shortCurrent.texts[1], "Quorvel Dastimaro-Ulbenki");
    // " +8" reads as the integer 8.
    EXPECT_EQ(ParseDocument("vm4\r\nQuorvel Dastimaro-Ulbenki\r\n0\r\n +8\r\n" + eight, "p").headerMessage, "");
}

TEST_F(DocumentTest, AHeaderlessFileOfEightFormulasOpens) {
    const std::string path = Write("old.vm4", "cos(u)\r\nsin(u)\r\ncos(v)\r\nsin(v)\r\n0\r\n2 pi\r\n-pi\r\npi\r\n");
    const TDocumentRead r = ReadDocument(path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.texts, kTorus);
    EXPECT_EQ(r.headerMessage, "Wrong file type");

    TSurfaceSession session(0);
    session.SetInputTexts(r.texts);
    EXPECT_TRUE(session.ReadData().ok);
}

TEST_F(DocumentTest, LineEndsOfEveryKindReadAlike) {
    const std::string lines[8] = {"cos(u)", "sin(u)", "cos(v)", "sin(v)", "0", "2 pi", "-pi", "pi"};
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        std::string text = "vm4" + end + "Quorvel Dastimaro-Ulbenki" + end + "0" + end + "8" + end;
        for (const std::string& l : lines) text += l + end;
        const TDocumentRead r = ParseDocument(text, "e.vm4");
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.headerMessage, "");
        EXPECT_EQ(r.texts, kTorus);
        // Without the last line end, and with a byte order mark of an editor.
        const TDocumentRead bare = ParseDocument("\xEF\xBB\xBF" + text.substr(0, text.size() - end.size()), "e");
        ASSERT_TRUE(bare.ok);
        EXPECT_EQ(bare.headerMessage, "");
        EXPECT_EQ(bare.texts, kTorus);
    }
    // Mixed ends; an empty line is a line.
    const TDocumentRead mixed = ParseDocument("a\nb\r\n\rd\r\ne\nf\rg\r\nh", "m");
    ASSERT_TRUE(mixed.ok);
    EXPECT_EQ(mixed.texts, (TInputTexts{"a", "b", "", "d", "e", "f", "g", "h"}));
}

TEST_F(DocumentTest, FilesThatAreNoDocumentsAreRefusedWithTheirName) {
    const TDocumentRead shortFile = ReadDocument(Write("short.vm4", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n"));
    EXPECT_FALSE(shortFile.ok);
    EXPECT_EQ(shortFile.message, "short.vm4 has fewer than eight lines: it is not a Velmora4 document");

    std::string binary = "cos(u)\nsin(u)\ncos(v)\nsin(v)\n0\n1\n0\n1\n";
    binary[3] = '\0';
    const TDocumentRead bin = ReadDocument(Write("picture.vm4", binary));
    EXPECT_FALSE(bin.ok);
    EXPECT_EQ(bin.message, "picture.vm4 is not a text file: it is not a Velmora4 document");
    EXPECT_FALSE(ParseDocument("a\nb\nc\nd\ne\nf\ng\nh\x01", "x").ok);
    // TAB and Latin-1 letters are text.
    EXPECT_TRUE(ParseDocument("a\tb\n\xE9\nc\nd\ne\nf\ng\nh\n", "x").ok);

    // Exactly 1 MiB is read; one byte more is not.
    std::string big = "u\nv\nu\nv\n0\n1\n0\n1\n";
    big.resize(kMaxDocumentBytes, ' ');
    EXPECT_TRUE(ReadDocument(Write("big.vm4", big)).ok);
    big += ' ';
    const TDocumentRead huge = ReadDocument(Write("huge.vm4", big));
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.message, "huge.vm4 is larger than 1 MiB: it is not a Velmora4 document");

    fs::create_directories(dir / "folder.vm4");
    EXPECT_EQ(ReadDocument((dir / "folder.vm4").string()).message, "folder.vm4 is a folder, not a document");
    EXPECT_EQ(ReadDocument((dir / "missing.vm4").string()).message,
              "Cannot open missing.vm4: No such file or directory");
    EXPECT_FALSE(ReadDocument("/dev/zero").ok);
}

TEST_F(DocumentTest, AnUnreadableFileIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const std::string path = Write("locked.vm4", kDefaultDocument);
    fs::permissions(path, fs::perms::none);
    const TDocumentRead r = ReadDocument(path);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, "Cannot open locked.vm4: Permission denied");
}

TEST_F(DocumentTest, SavingReplacesTheFileKeepingItsPermissionsAndLinks) {
    const std::string path = Write("kept.vm4", "old contents");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("kept.vm4", dir / "link.vm4");

    TDocumentLines lines = {"vm4", "Quorvel Dastimaro-Ulbenki", "0", "8"};
    for (int i = 0; i < 8; ++i) lines[4 + i] = kTorus[i];
    ASSERT_TRUE(WriteDocument((dir / "link.vm4").string(), lines).ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.vm4"));
    EXPECT_EQ(Slurp(path), DocumentText(lines));
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    int files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(DocumentTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporaryFile) {
    const std::string path = Write("torus.vm4", kDefaultDocument);
    TDocumentLines lines = {"vm4", "Quorvel Dastimaro-Ulbenki", "0", "8"};
    for (int i = 0; i < 8; ++i) lines[4 + i] = kTorus[i];

    // A disk that fills up after 16 bytes.
    TDocumentWrite w;
    {
        const FileSizeLimit diskFullAfter(16);
        w = WriteDocument(path, lines);
    }

    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.message, "Cannot save torus.vm4: File too large");
    EXPECT_EQ(Slurp(path), kDefaultDocument);
    EXPECT_EQ(OtherFiles("torus.vm4"), 0);

    // A folder that cannot be written to, and a folder in place of the file.
    const TDocumentWrite ro = WriteDocument("/proc/velmora-test.vm4", lines);
    EXPECT_FALSE(ro.ok);
    EXPECT_EQ(ro.message.rfind("Cannot save velmora-test.vm4: ", 0), 0u) << ro.message;
    fs::create_directories(dir / "f.vm4");
    EXPECT_EQ(WriteDocument((dir / "f.vm4").string(), lines).message, "Cannot save f.vm4: it is a folder");
}

TEST_F(DocumentTest, AReadOnlyFolderRefusesTheSave) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    TDocumentLines lines{};
    const TDocumentWrite w = WriteDocument((dir / "new.vm4").string(), lines);
    EXPECT_FALSE(w.ok);
    EXPECT_EQ(w.message, "Cannot save new.vm4: Permission denied");
}

}  // namespace
}  // namespace velmora
