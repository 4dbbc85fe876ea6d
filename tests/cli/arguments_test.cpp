// How the command line is read: what each option sets and what is refused.
#include "cli/arguments.h"

#include <gtest/gtest.h>

namespace velsaro::cli {
namespace {

constexpr int machineJobs = 6;

ParsedArguments parse(const std::vector<std::string>& arguments)
{
    return parseArguments(arguments, machineJobs);
}

TEST(Arguments, KeepsPathsInOrderWithDefaults)
{
    const ParsedArguments parsed = parse({"b.jpg", "a", "c.gif"});
    ASSERT_EQ(parsed.request, Request::Run);
    EXPECT_EQ(parsed.options.paths, (std::vector<std::string>{"b.jpg", "a", "c.gif"}));
    EXPECT_FALSE(parsed.options.compare);
    EXPECT_FALSE(parsed.options.json);
    EXPECT_EQ(parsed.options.jobs, machineJobs);
}

TEST(Arguments, TakesOptionsAnywhereAmongPaths)
{
    const ParsedArguments parsed = parse({"a.bmp", "--json", "b.bmp", "--compare", "-j", "2"});
    ASSERT_EQ(parsed.request, Request::Run);
    EXPECT_EQ(parsed.options.paths, (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_TRUE(parsed.options.compare);
    EXPECT_TRUE(parsed.options.json);
    EXPECT_EQ(parsed.options.jobs, 2);
}

TEST(Arguments, ReadsJobCountInEveryForm)
{
    for (const auto& form : std::vector<std::vector<std::string>>{
             {"-j", "7"}, {"-j7"}, {"--jobs", "7"}, {"--jobs=7"}, {"-j", "1", "-j", "7"}}) {
        std::vector<std::string> arguments = form;
        arguments.push_back("x.bmp");
        const ParsedArguments parsed = parse(arguments);
        ASSERT_EQ(parsed.request, Request::Run) << form[0];
        EXPECT_EQ(parsed.options.jobs, 7);
        EXPECT_EQ(parsed.options.paths, std::vector<std::string>{"x.bmp"});
    }
}

TEST(Arguments, RefusesJobCountsOutsideOneToTheLimit)
{
    for (const std::string value : {"0", "-1", "1025", "2.5", "dos", "4x", "", " 4", "99999999999"}) {
        const ParsedArguments parsed = parse({"--jobs=" + value, "x.bmp"});
        EXPECT_EQ(parsed.request, Request::UsageError) << value;
        EXPECT_NE(parsed.error.find("«" + value + "»"), std::string::npos) << parsed.error;
    }
    EXPECT_EQ(parse({"-j1024", "x.bmp"}).options.jobs, 1024);
}

TEST(Arguments, RefusesJobOptionWithoutValue)
{
    const ParsedArguments parsed = parse({"x.bmp", "-j"});
    EXPECT_EQ(parsed.request, Request::UsageError);
    EXPECT_EQ(parsed.error, "falta el número de hilos tras «-j»");
}

TEST(Arguments, RefusesUnknownOptionsNamingThem)
{
    for (const std::string option : {"--verbose", "-v", "--Compare", "--json=yes", "---"}) {
        const ParsedArguments parsed = parse({option, "x.bmp"});
        EXPECT_EQ(parsed.request, Request::UsageError);
        EXPECT_EQ(parsed.error, "opción desconocida: «" + option + "»");
    }
}

TEST(Arguments, RefusesCommandLineWithoutPaths)
{
    for (const auto& arguments : std::vector<std::vector<std::string>>{{}, {"--compare", "--json"}, {"--"}})
        EXPECT_EQ(parse(arguments).request, Request::UsageError);
}

TEST(Arguments, ShowsHelpEvenWithoutPaths)
{
    EXPECT_EQ(parse({"--help"}).request, Request::ShowHelp);
    EXPECT_EQ(parse({"x.bmp", "-h"}).request, Request::ShowHelp);
}

TEST(Arguments, ShowsVersionWithoutPathsUnlessHelpIsAskedFor)
{
    EXPECT_EQ(parse({"--version"}).request, Request::ShowVersion);
    EXPECT_EQ(parse({"--version", "--help"}).request, Request::ShowHelp);
    EXPECT_EQ(parse({"--help", "--version"}).request, Request::ShowHelp);
    EXPECT_EQ(parse({"--version", "--bad"}).request, Request::UsageError);
}

TEST(Arguments, TreatsDashAndEverythingAfterDoubleDashAsPaths)
{
    const ParsedArguments parsed = parse({"-", "--", "--json", "-j"});
    ASSERT_EQ(parsed.request, Request::Run);
    EXPECT_EQ(parsed.options.paths, (std::vector<std::string>{"-", "--json", "-j"}));
    EXPECT_FALSE(parsed.options.json);
}

TEST(Arguments, HelpNamesTheDefaultJobCount)
{
    EXPECT_NE(helpText(machineJobs).find("por omisión 6"), std::string::npos);
}

} // namespace
} // namespace velsaro::cli
