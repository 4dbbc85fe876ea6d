// Which files a command line names: files as given, folders walked for picture extensions.
#include "cli/picture_list.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QFile>

namespace velsaro::cli {
namespace {

using velsaro::testing::TemporaryFolder;

std::string path(const QString& file)
{
    return QFile::encodeName(file).toStdString();
}

std::vector<std::string> pathsOf(const std::vector<PictureEntry>& entries)
{
    std::vector<std::string> paths;
    for (const PictureEntry& entry : entries)
        paths.push_back(entry.path);
    return paths;
}

TEST(PictureList, RecognisesPictureExtensionsInAnyCase)
{
    for (const char* name : {"a.bmp", "a.BMP", "b.jpg", "b.JpG", "c.jpeg", "c.JPEG", "d.gif", "x.y.Gif"})
        EXPECT_TRUE(hasPictureExtension(name)) << name;
    for (const char* name : {"a.png", "bmp", "a.bmpx", "a.jpe", "agif", ".gif", "a.gif.txt", ""})
        EXPECT_FALSE(hasPictureExtension(name)) << name;
}

TEST(PictureList, KeepsFileArgumentsAsGivenWhateverTheirName)
{
    const std::vector<PictureEntry> entries = listPictures({"z.txt", "missing.bmp", "a.gif"});
    EXPECT_EQ(pathsOf(entries), (std::vector<std::string>{"z.txt", "missing.bmp", "a.gif"}));
    for (const PictureEntry& entry : entries)
        EXPECT_EQ(entry.error, "");
}

TEST(PictureList, ReplacesFolderByItsPicturesSortedByPathBetweenOtherArguments)
{
    TemporaryFolder folder;
    for (const char* name : {"set/b.gif", "set/a/z.jpg", "set/a.BMP", "set/c.txt", "set/sub/d.jpeg"})
        folder.write(name, "x");
    folder.makeFolder("set/empty.bmp"); // a folder, not a picture
    const std::string set = path(folder.filePath("set"));

    const std::vector<PictureEntry> entries = listPictures({"first.bmp", set, "last.gif"});

    EXPECT_EQ(pathsOf(entries), (std::vector<std::string>{"first.bmp", set + "/a.BMP", set + "/a/z.jpg",
                                                          set + "/b.gif", set + "/sub/d.jpeg", "last.gif"}));
}

TEST(PictureList, ReportsFolderWithoutPicturesAsOneFailedEntry)
{
    TemporaryFolder folder;
    folder.write("docs/readme.txt", "x");
    folder.makeFolder("docs/inner.gif");
    const std::string docs = path(folder.filePath("docs"));

    const std::vector<PictureEntry> entries = listPictures({docs});

    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].path, docs);
    EXPECT_EQ(entries[0].error, "la carpeta no contiene imágenes BMP, JPEG o GIF");
}

TEST(PictureList, SkipsLinksThatLeadNowhereInsideFolders)
{
    TemporaryFolder folder;
    folder.write("links/real.gif", "x");
    QFile::link(folder.filePath("links/absent.gif"), folder.filePath("links/dangling.gif"));
    const std::string links = path(folder.filePath("links"));
    EXPECT_EQ(pathsOf(listPictures({links})), std::vector<std::string>{links + "/real.gif"});
}

} // namespace
} // namespace velsaro::cli
