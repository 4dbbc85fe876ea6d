// The inputs the fuzz target once failed on, kept as files, read as any file is: each is refused with a
// reason or read into a region no larger than the drawing area, whichever region is asked for.
#include "picture/picture_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace velsaro {
namespace {

TEST(FuzzRegressions, EveryKeptInputIsReadOrRefusedWithAReason)
{
    const QDir folder(QStringLiteral(VELSARO_FUZZ_REGRESSIONS));
    const QStringList names = folder.entryList(QDir::Files);
    ASSERT_FALSE(names.isEmpty());
    for (const QString& name : names) {
        for (const PictureRegion region : {PictureRegion::Shown, PictureRegion::Keyed}) {
            const PictureFile file = readPictureFile(QFile::encodeName(folder.filePath(name)).toStdString(), region);
            const bool read = file.error == PictureFileError::None;
            EXPECT_EQ(read, !file.image.isNull()) << name.toStdString();
            EXPECT_EQ(read, file.reason.isEmpty()) << name.toStdString();
            EXPECT_LE(file.image.width(), drawingAreaWidth) << name.toStdString();
            EXPECT_LE(file.image.height(), drawingAreaHeight) << name.toStdString();
        }
    }
}

} // namespace
} // namespace velsaro
