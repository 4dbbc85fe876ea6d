// Importing the tool's text output: where relative paths lead, and paths no file system holds.
#include "catalogue/catalogue.h"
#include "catalogue/key_list.h"
#include "tests/support/picture_files.h"
#include "tests/support/real_shaped_keys.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <climits>

namespace velsaro {
namespace {

std::string bytesOf(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

class MatchesOfOneQuery final : public SearchReceiver {
public:
    void startQuery(std::size_t) override {}
    void match(const CatalogueMatch& match) override { matches.push_back(match); }
    std::vector<CatalogueMatch> matches;
};

TEST(Import, TakesRelativePathsFromTheListsFolderAndCountsThoseThatLeadToNoFile)
{
    const testing::TemporaryFolder folder;
    const std::vector<KeyCodes> keys = testing::realShapedKeys(2, 5);
    const QString picture = folder.write("partes/fotos/a.jpg", "JPEG");
    const QString list = folder.write("partes/lista.txt", QByteArray::fromStdString(
        keyLine(keyText(keys[0]), "fotos/a.jpg") + keyLine(keyText(keys[1]), "/no/existe.jpg")));
    const std::string file = bytesOf(folder.filePath("claves.db"));

    const ImportSummary summary = Catalogue(file, CatalogueAccess::ReadWrite).importKeyLists({bytesOf(list)});

    EXPECT_EQ(summary.imported, 2u);
    EXPECT_EQ(summary.withoutFile, 1u);
    MatchesOfOneQuery found;
    Catalogue(file, CatalogueAccess::Search).find(std::vector<KeyCodes>{keys[0]}, 0, found);
    ASSERT_EQ(found.matches.size(), 1u);
    EXPECT_EQ(found.matches[0].path, bytesOf(QDir(folder.path()).canonicalPath() + "/partes/fotos/a.jpg"));
}

TEST(Import, RefusesPathsNoFileSystemHoldsNamingTheLineAndStoresNothing)
{
    const testing::TemporaryFolder folder;
    const KeyCodes key = testing::realShapedKeys(1, 6)[0];
    const std::string good = keyLine(keyText(key), "/fotos/bien.jpg");
    const std::string impossible[] = {std::string("/fotos/a\0b.jpg", 14), "/fotos/c.jpg\r", "/" + std::string(PATH_MAX, 'x')};
    for (const std::string& path : impossible) {
        const QString list = folder.write("lista.txt", QByteArray::fromStdString(good + keyLine(keyText(key), path)));
        const std::string file = bytesOf(folder.filePath("claves.db"));
        try {
            Catalogue(file, CatalogueAccess::ReadWrite).importKeyLists({bytesOf(list)});
            ADD_FAILURE() << "imported " << path.size() << " bytes";
        } catch (const KeyListError& error) {
            EXPECT_EQ(error.line(), 2u);
            EXPECT_TRUE(std::string(error.what()).ends_with("no se ha importado nada")) << error.what();
        }
        MatchesOfOneQuery found;
        Catalogue(file, CatalogueAccess::Search).find(std::vector<KeyCodes>{key}, 0, found);
        EXPECT_TRUE(found.matches.empty());
    }
}

} // namespace
} // namespace velsaro
