// The atomic file writer: a file appears whole or not at all, folders and
// devices are never written over, and no temporary file is left behind.
#include "platform/AtomicFile.h"
#include "tests/FileTestSupport.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(AtomicFile, WritesANewFileAndReplacesAnOldOneThroughItsLink) {
    TestFolder dir;
    const fs::path path = dir / "a.txt";
    ASSERT_TRUE(WriteFileAtomically(path.string(), std::string("first\0line", 10)));
    EXPECT_EQ(ReadWholeFile(path), std::string("first\0line", 10));

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    fs::create_symlink("a.txt", dir / "link.txt");
    ASSERT_TRUE(WriteFileAtomically((dir / "link.txt").string(), "second"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(ReadWholeFile(path), "second");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    EXPECT_EQ(CountEntries(dir.path()), 2);
}

TEST(AtomicFile, FoldersAndDevicesAreRefusedBeforeAnythingIsCreated) {
    TestFolder dir;
    fs::create_directory(dir / "folder");
    EXPECT_EQ(TAtomicFile::CheckTarget((dir / "folder").string()).failure, TFileWriteFailure::Folder);
    EXPECT_EQ(WriteFileAtomically((dir / "folder").string(), "x").failure, TFileWriteFailure::Folder);
    EXPECT_EQ(WriteFileAtomically("/dev/null", "x").failure, TFileWriteFailure::NotRegularFile);
    // A link to a device is a device.
    fs::create_symlink("/dev/null", dir / "null");
    EXPECT_EQ(TAtomicFile::CheckTarget((dir / "null").string()).failure, TFileWriteFailure::NotRegularFile);
    EXPECT_TRUE(TAtomicFile::CheckTarget((dir / "new").string()));
    EXPECT_EQ(CountEntries(dir.path()), 2);

    const TFileWriteResult missing = WriteFileAtomically((dir / "none" / "a.txt").string(), "x");
    EXPECT_EQ(missing.failure, TFileWriteFailure::System);
    EXPECT_EQ(SystemErrorText(missing.error), "No such file or directory");
}

TEST(AtomicFile, AFullDiskLeavesTheOldFileWholeAndNoTemporaryFile) {
    TestFolder dir;
    const fs::path path = dir / "kept.txt";
    ASSERT_TRUE(WriteFileAtomically(path.string(), "old contents"));

    TFileWriteResult w;
    {
        const FileSizeLimit diskFullAfter(16);
        w = WriteFileAtomically(path.string(), std::string(100, 'n'));
    }

    EXPECT_EQ(w.failure, TFileWriteFailure::System);
    EXPECT_EQ(SystemErrorText(w.error), "File too large");
    EXPECT_EQ(ReadWholeFile(path), "old contents");
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(AtomicFile, AWriteGivenUpOrLeftByAnExceptionChangesNothing) {
    TestFolder dir;
    const fs::path path = dir / "kept.txt";
    ASSERT_TRUE(WriteFileAtomically(path.string(), "old"));
    {
        TAtomicFile file(path.string());
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write("half of the new"));
        EXPECT_EQ(CountEntries(dir.path()), 2);  // the temporary file beside the target
        file.Discard();
        EXPECT_EQ(CountEntries(dir.path()), 1);
    }
    EXPECT_THROW(
        {
            TAtomicFile file(path.string());
            ASSERT_TRUE(file.Open());
            ASSERT_TRUE(file.Write("new"));
            throw std::runtime_error("the writer failed");
        },
        std::runtime_error);
    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(CountEntries(dir.path()), 1);
    // Until the commit the target keeps its old content; after it, the new.
    TAtomicFile file(path.string());
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new"));
    EXPECT_EQ(ReadWholeFile(path), "old");
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadWholeFile(path), "new");
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

}  // namespace
}  // namespace velmora
