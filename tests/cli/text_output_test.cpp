// The plain text lines, the groups of --compare and their distances with --near.
#include "cli/text_output.h"

#include "catalogue/key_list.h"

#include "tests/cli/captured_console.h"

#include <gtest/gtest.h>

namespace velsaro::cli {
namespace {

using testing::CapturedConsole;

const std::vector<NearGroup> groups = {
    {"9.", {"x", "z"}, {0, 12}}, {"1.", {"y"}, {0}}, {"5.", {"w\\v", "u"}, {0, 105}}};

TEST(TextOutput, WritesKeyTwoSpacesAndPath)
{
    EXPECT_EQ(keyLine("1.2.", "dir/a b.bmp"), "1.2.  dir/a b.bmp\n");
}

TEST(TextOutput, EscapesBackslashAndLineBreakBehindALeadingBackslash)
{
    EXPECT_EQ(keyLine("1.2.", "a\\b\nc"), "\\1.2.  a\\\\b\\nc\n");
    EXPECT_EQ(errorLine("a\nb\\c", "no se puede leer"), "velsaro-clave: a\\nb\\c: no se puede leer\n");
}

// ESC, a tab, DEL, a C1 control and U+202E are shown as their bytes, never sent raw to a terminal, and
// --import reads every path back byte for byte, bytes that are not UTF-8 and "ñ" as they are.
TEST(TextOutput, EscapesControlAndDirectionCharactersSoThatImportReadsThemBack)
{
    std::string key;
    for (int code = 0; code < 27; ++code)
        key += std::to_string(code * 9) + ".";
    const std::string path = "a\x1b[2J\tb\x7f\xc2\x85\xe2\x80\xaegpj.bmp\\x1b\n\xff\xc3\xb1";
    const std::string line = keyLine(key, path);
    EXPECT_EQ(line, "\\" + key + "  a\\x1b[2J\\x09b\\x7f\\xc2\\x85\\xe2\\x80\\xaegpj.bmp\\\\x1b\\n\xff\xc3\xb1\n");
    EXPECT_EQ(errorLine("\xe2\x80\xae\\", "r"), "velsaro-clave: \\xe2\\x80\\xae\\: r\n");
    const std::optional<ListedKey> listed = parsedKeyLine(line.substr(0, line.size() - 1));
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->path, path);
    EXPECT_EQ(listed->codes[26], 234);
}

TEST(TextOutput, WritesEachGroupWithItsCountKeyAndEscapedPaths)
{
    CapturedConsole captured;
    TextOutput(captured.console(), false).groups(groups);
    EXPECT_EQ(captured.out(), "\n"
                              "Grupo 1 (2 imágenes): 9.\n"
                              "  x\n"
                              "  z\n"
                              "Grupo 2 (1 imagen): 1.\n"
                              "  y\n"
                              "Grupo 3 (2 imágenes): 5.\n"
                              "  \\w\\\\v\n"
                              "  u\n");
}

TEST(TextOutput, WritesEachPicturesDistanceRightAlignedBeforeItsPathWithNear)
{
    CapturedConsole captured;
    TextOutput(captured.console(), true).groups(groups);
    EXPECT_EQ(captured.out(), "\n"
                              "Grupo 1 (2 imágenes): 9.\n"
                              "    0  x\n"
                              "   12  z\n"
                              "Grupo 2 (1 imagen): 1.\n"
                              "    0  y\n"
                              "Grupo 3 (2 imágenes): 5.\n"
                              "    0  \\w\\\\v\n"
                              "  105  u\n");
}

TEST(TextOutput, WritesNothingForNoGroups)
{
    CapturedConsole captured;
    TextOutput(captured.console(), false).groups({});
    EXPECT_EQ(captured.out(), "");
}

} // namespace
} // namespace velsaro::cli
