// Known answers from outside the project: pictures defined by formulas with the key, the P matrices
// and some coefficients an exact implementation gives for them, compared bit for bit at every kernel
// width this CPU runs. A plain program on the engine alone, without a test library, so that the arm64
// cross build (scripts/cross-check-arm64.sh) runs this same check under emulation.
// Usage: velsaro_reference_check REFERENCE_KEYS.json; exit status 0 when every value matches.
#include "engine/key_engine.h"
#include "tests/engine/json_value.h"
#include "tests/engine/synthetic_picture.h"

#include <bit>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace velsaro::testing {
namespace {

std::int32_t gradient(int x, int y) { return colourNumber(x % 256, y % 256, (x + y) % 256); }

std::int32_t hashed(int x, int y)
{
    const std::uint32_t v = static_cast<std::uint32_t>(std::uint64_t(x) * 2654435761u + std::uint64_t(y) * 40503u +
                                                       std::uint64_t(x * y) * 97u);
    return colourNumber(v % 256, (v / 256) % 256, (v / 65536) % 256);
}

std::int32_t checker(int x, int y) { return (x / 3 + y / 5) % 2 == 1 ? colourNumber(255, 255, 255) : 0; }

std::int32_t blueRings(int x, int y)
{
    return colourNumber(0, 0, (((x - 215) * (x - 215) + (y - 251) * (y - 251)) / 37) % 256);
}

ColourFormula formulaNamed(const std::string& name)
{
    if (name == "gradient" || name == "partial_gradient")
        return gradient;
    if (name == "hash")
        return hashed;
    if (name == "checker")
        return checker;
    if (name == "blue_rings")
        return blueRings;
    throw std::runtime_error("no formula for reference picture " + name);
}

JsonValue referenceKeys(const char* path)
{
    std::ifstream file(path);
    if (!file)
        throw std::runtime_error(std::string("cannot read ") + path);
    std::stringstream text;
    text << file.rdbuf();
    return JsonReader(text.str()).document();
}

// Collects the differences of one key from its known answer, each as one readable line.
class Comparison {
public:
    explicit Comparison(std::string what) : what_(std::move(what)) {}

    void expectEqual(const std::string& expected, const std::string& actual, const std::string& item)
    {
        if (expected != actual)
            fail(item + ": expected " + expected + ", got " + actual);
    }

    // Bitwise, not within a tolerance: the reference strings are the shortest text of the exact double.
    void expectSameBits(double expected, double actual, const std::string& item)
    {
        if (std::bit_cast<std::uint64_t>(expected) != std::bit_cast<std::uint64_t>(actual))
            fail(item + ": expected " + bitsText(expected) + ", got " + bitsText(actual));
    }

    int failures() const { return failures_; }

private:
    static std::string bitsText(double value)
    {
        char text[64];
        std::snprintf(text, sizeof text, "%.17g (%016llx)", value,
                      static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
        return text;
    }

    void fail(const std::string& message)
    {
        std::fprintf(stderr, "%s: %s\n", what_.c_str(), message.c_str());
        ++failures_;
    }

    std::string what_;
    int failures_ = 0;
};

int differencesFromReference(const JsonValue& entry, const Key& key, const std::string& what)
{
    Comparison comparison(what);
    comparison.expectEqual(entry["key"].text, key.text, "key");
    for (int level = 0; level < 3; ++level) {
        const JsonValue& expected = entry["levels"][level];
        const LevelResult& actual = key.levels[level];
        const std::string name = "N " + expected["N"].text + " ";
        comparison.expectEqual(expected["N"].text, std::to_string(actual.n), "mask size");
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                comparison.expectSameBits(expected["matrizP"][r][c].number(), actual.matrizP[r][c],
                                          name + "matrizP(" + std::to_string(r) + ", " + std::to_string(c) + ")");
        for (int k = 0; k < 9; ++k)
            comparison.expectEqual(expected["codes"][k].text, std::to_string(actual.codes[k]),
                                   name + "code " + std::to_string(k));
        for (int v = 0; v < 4; ++v)
            comparison.expectSameBits(expected["coeficientes_j4_u0_v0to3"][v].number(),
                                      actual.coefficient(4, 0, v),
                                      name + "coefficient (4, 0, " + std::to_string(v) + ")");
    }
    return comparison.failures();
}

int checkReferenceVectors(const char* path)
{
    const JsonValue pictures = referenceKeys(path);
    if (pictures.items.size() != 5)
        throw std::runtime_error(std::string(path) + " should hold 5 reference pictures");
    const std::vector<KernelWidth> widths = supportedKernelWidths();
    int differences = 0;
    for (const JsonValue& entry : pictures.items) {
        const std::string name = entry["name"].text;
        const SyntheticPicture picture(int(entry["width"].number()), int(entry["height"].number()),
                                       formulaNamed(name));
        for (KernelWidth width : widths)
            differences += differencesFromReference(entry, computeKey(picture, {.kernel = width}),
                                                    name + " at kernel width " + std::to_string(int(width)));
    }
    std::printf("%zu reference pictures at %zu kernel width(s): %d difference(s)\n", pictures.items.size(),
                widths.size(), differences);
    return differences;
}

} // namespace
} // namespace velsaro::testing

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s REFERENCE_KEYS.json\n", argv[0]);
        return 2;
    }
    try {
        return velsaro::testing::checkReferenceVectors(argv[1]) == 0 ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
