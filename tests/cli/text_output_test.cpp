// The plain text lines and the groups of --compare.
#include "cli/text_output.h"

#include <gtest/gtest.h>

namespace velsaro::cli {
namespace {

TEST(TextOutput, WritesKeyTwoSpacesAndPath)
{
    EXPECT_EQ(keyLine("1.2.", "dir/a b.bmp"), "1.2.  dir/a b.bmp\n");
}

TEST(TextOutput, EscapesBackslashAndLineBreakBehindALeadingBackslash)
{
    EXPECT_EQ(keyLine("1.2.", "a\\b\nc"), "\\1.2.  a\\\\b\\nc\n");
    EXPECT_EQ(errorLine("a\nb\\c", "no se puede leer"), "velsaro-clave: a\\nb\\c: no se puede leer\n");
}

TEST(TextOutput, WritesEachGroupWithItsCountKeyAndEscapedPaths)
{
    const std::vector<KeyGroup> groups = {{"9.", {"x", "z"}}, {"1.", {"y"}}, {"5.", {"w\\v"}}};

    EXPECT_EQ(groupsText(groups), "\n"
                                           "Grupo 1 (2 imágenes): 9.\n"
                                           "  x\n"
                                           "  z\n"
                                           "Grupo 2 (1 imagen): 1.\n"
                                           "  y\n"
                                           "Grupo 3 (1 imagen): 5.\n"
                                           "  \\w\\\\v\n");
}

TEST(TextOutput, WritesNothingForNoGroups)
{
    EXPECT_EQ(groupsText({}), "");
}

} // namespace
} // namespace velsaro::cli
