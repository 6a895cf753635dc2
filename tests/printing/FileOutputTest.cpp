// Qt's writers through the atomic file: what they wrote appears only when
// they succeed and the disk took all of it.
#include "printing/FileOutput.h"

#include "tests/FileTestSupport.h"
#include "tests/TestFolder.h"

#include <QImage>
#include <QIODevice>

#include <gtest/gtest.h>

#include <filesystem>

namespace velmora {
namespace {

namespace fs = std::filesystem;

TEST(FileOutput, AnImageWrittenThroughTheDeviceReadsBack) {
    TestFolder dir;
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(0xFF336699u);
    const fs::path path = dir / "i.png";
    ASSERT_TRUE(WriteFileThroughDevice(path.string(), [&](QIODevice& d) { return image.save(&d, "PNG"); }));
    const QImage back(QString::fromStdString(path.string()));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), image);
    EXPECT_EQ(CountEntries(dir.path()), 1);
}

TEST(FileOutput, AWriterThatFailsOrAFullDiskLeavesTheOldFile) {
    TestFolder dir;
    const fs::path path = dir / "kept.bin";
    ASSERT_TRUE(WriteFileThroughDevice(path.string(), [](QIODevice& d) { return d.write("old", 3) == 3; }));

    // The writer gives up after writing: no complaint of the device.
    TFileOutput out = WriteFileThroughDevice(path.string(), [](QIODevice& d) {
        d.write("partial", 7);
        return false;
    });
    EXPECT_EQ(out.result.failure, TFileWriteFailure::Content);
    EXPECT_TRUE(out.deviceError.isEmpty());

    // The disk fills up while Qt writes (buffered): the device says why.
    {
        const FileSizeLimit diskFullAfter(1000);
        out = WriteFileThroughDevice(path.string(), [](QIODevice& d) {
            const QByteArray block(600, 'x');
            d.write(block);
            d.write(block);
            return true;
        });
    }
    EXPECT_EQ(out.result.failure, TFileWriteFailure::Content);
    EXPECT_FALSE(out.deviceError.isEmpty());

    EXPECT_EQ(ReadWholeFile(path), "old");
    EXPECT_EQ(CountEntries(dir.path()), 1);
    EXPECT_EQ(WriteFileThroughDevice("/dev/full", [](QIODevice&) { return true; }).result.failure,
              TFileWriteFailure::NotRegularFile);
}

}  // namespace
}  // namespace velmora
