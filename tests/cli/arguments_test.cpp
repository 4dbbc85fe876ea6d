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
    for (const std::string option : {"--verbose", "-v", "--Compare", "--json=yes", "---", "--comp", "-hx"}) {
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

TEST(Arguments, ReadsTheNearAndCatalogueOptions)
{
    const ParsedArguments find = parse({"--catalogue", "c.db", "--find", "--near=16", "q.jpg"});
    ASSERT_EQ(find.request, Request::Run) << find.error;
    EXPECT_EQ(find.options.catalogue, "c.db");
    EXPECT_EQ(find.options.action, Action::Find);
    EXPECT_EQ(find.options.nearDistance, 16);
    const ParsedArguments groups = parse({"--compare", "--near", "216", "--matrix", "--catalogue=c.db", "a"});
    ASSERT_EQ(groups.request, Request::Run) << groups.error;
    EXPECT_EQ(groups.options.nearDistance, 216);
    EXPECT_TRUE(groups.options.matrix);
    EXPECT_EQ(groups.options.catalogue, "c.db");
    EXPECT_EQ(groups.options.action, Action::Compare);
    EXPECT_FALSE(groups.options.fit);
    EXPECT_TRUE(parse({"--fit", "--compare", "--near", "32", "--html", "p.html", "a"}).options.fit);
    EXPECT_EQ(parse({"--catalogue", "c.db", "--prune"}).options.action, Action::Prune);
    EXPECT_EQ(parse({"--catalogue", "c.db", "--prune", "a"}).options.action, Action::Key);
    const ParsedArguments merge = parse({"--catalogue", "c.db", "--merge", "a.db", "b.db"});
    EXPECT_EQ(merge.options.action, Action::Merge);
    EXPECT_EQ(merge.options.paths, (std::vector<std::string>{"a.db", "b.db"}));
}

TEST(Arguments, RefusesDistancesAndCombinationsThatMeanNothing)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--compare", "--near", "217", "a"}, "distancia no válida: «217» (debe ser un entero de 0 a 216)"},
        {{"--compare", "--near=-1", "a"}, "distancia no válida: «-1» (debe ser un entero de 0 a 216)"},
        {{"--compare", "a", "--near"}, "falta la distancia tras «--near»"},
        {{"--near", "3", "a"}, "--near solo se usa con --compare o --find"},
        {{"--find", "a"}, "--find necesita un catálogo: --catalogue ARCHIVO"},
        {{"--prune"}, "--prune necesita un catálogo: --catalogue ARCHIVO"},
        {{"--catalogue", "c.db", "--find", "--merge", "a"}, "--find y --merge no se combinan"},
        {{"--catalogue", "c.db", "--find", "--compare", "a"}, "--find no se combina con --compare, --matrix ni --prune"},
        {{"--catalogue", "c.db", "--merge"}, "falta la RUTA de al menos un catálogo que incorporar"},
        {{"--catalogue"}, "falta el ARCHIVO del catálogo tras «--catalogue»"},
        {{"--html", "p.html", "a"}, "--html solo se usa con --compare"},
        {{"--catalogue", "c.db", "--import", "l.txt", "--find"}, "--import no se combina con --find ni --merge"},
        {{"--fit", "--catalogue", "c.db", "--import", "a"},
         "--fit no se combina con --import ni --merge: las listas se guardan como claves sin ajustar"},
    };
    for (const auto& [arguments, error] : refused) {
        const ParsedArguments parsed = parse(arguments);
        EXPECT_EQ(parsed.request, Request::UsageError) << arguments[0];
        EXPECT_EQ(parsed.error, error);
    }
}

// A forgotten value would otherwise make a catalogue or a page named like the next option.
TEST(Arguments, RefusesAnOptionAsAFileValueAndSaysHowToNameSuchAFile)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--catalogue", "--compare", "fotos"}, "falta el ARCHIVO del catálogo tras «--catalogue» («--compare» es una "
                                                 "opción; un archivo con ese nombre se escribe «./--compare»)"},
        {{"--compare", "--html", "--near", "5", "fotos"}, "falta el ARCHIVO de la página tras «--html» («--near» es "
                                                           "una opción; un archivo con ese nombre se escribe «./--near»)"},
        {{"--compare", "--html=-j2", "fotos"}, "falta el ARCHIVO de la página tras «--html» («-j2» es una opción; un "
                                               "archivo con ese nombre se escribe «./-j2»)"},
    };
    for (const auto& [arguments, error] : refused)
        EXPECT_EQ(parse(arguments).error, error);
    EXPECT_EQ(parse({"--catalogue", "./--compare", "--compare", "--html", "--nearly", "fotos"}).options.htmlPage, "--nearly");
}

TEST(Arguments, HelpNamesTheDefaultJobCount)
{
    EXPECT_NE(helpText(machineJobs).find("por omisión 6"), std::string::npos);
}

} // namespace
} // namespace velsaro::cli
