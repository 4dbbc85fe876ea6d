// A whole 27-code key from an in-memory picture: the fast engine at each kernel width, the literal
// loops it replaces, and the bare arithmetic that no implementation of the same sums can beat.
#include "engine/key_engine.h"
#include "tests/engine/literal_key.h"
#include "tests/engine/synthetic_picture.h"

#include <benchmark/benchmark.h>

#include <random>

namespace velsaro::bench {
#if defined(__x86_64__)
namespace sse2 { double independentMultiplyAdds(long long pairs, double seed); }
namespace avx2 { double independentMultiplyAdds(long long pairs, double seed); }
namespace avx512 { double independentMultiplyAdds(long long pairs, double seed); }
#else
namespace native { double independentMultiplyAdds(long long pairs, double seed); }
#endif

namespace {

using MultiplyAdds = double (*)(long long pairs, double seed);

// The floor at the engine's widest kernel on this CPU, built for the same target.
MultiplyAdds floorAtWidth(KernelWidth width)
{
#if defined(__x86_64__)
    if (width == KernelWidth::Eight)
        return avx512::independentMultiplyAdds;
    if (width == KernelWidth::Four)
        return avx2::independentMultiplyAdds;
    return sse2::independentMultiplyAdds;
#else
    (void)width;
    return native::independentMultiplyAdds;
#endif
}

using testing::SyntheticPicture;

const SyntheticPicture& noisePicture()
{
    static const SyntheticPicture picture(430, 503, [](int x, int y) {
        return std::int32_t(std::minstd_rand(1 + x * 503u + y)() % 16777216);
    });
    return picture;
}

// Multiplies (and as many adds) in one key: nine masks of N^4 terms at N = 4, 8 and 16.
constexpr long long multiplyAddsPerKey = 9LL * (4 * 4 * 4 * 4 + 8 * 8 * 8 * 8 + 16 * 16 * 16 * 16);

void fastKey(benchmark::State& state, KernelWidth width)
{
    const SyntheticPicture& picture = noisePicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(computeKey(picture, {.kernel = width}));
}

void literalKey(benchmark::State& state)
{
    const SyntheticPicture& picture = noisePicture();
    for (auto _ : state)
        benchmark::DoNotOptimize(testing::literalKey(picture));
}

void arithmeticFloor(benchmark::State& state, MultiplyAdds multiplyAdds)
{
    double seed = 0.5;
    for (auto _ : state) {
        benchmark::DoNotOptimize(multiplyAdds(multiplyAddsPerKey, seed));
        benchmark::ClobberMemory();
    }
}

void registerBenchmarks()
{
    benchmark::RegisterBenchmark("Key/literal", literalKey)->Unit(benchmark::kMicrosecond);
    const std::vector<KernelWidth> widths = supportedKernelWidths();
    for (KernelWidth width : widths) {
        const std::string name = "Key/fast/" + std::to_string(int(width)) + "-wide";
        benchmark::RegisterBenchmark(name.c_str(), fastKey, width)->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("Key/fast/best", fastKey, KernelWidth::Best)->Unit(benchmark::kMicrosecond);

    benchmark::RegisterBenchmark("Floor/multiply-adds-of-one-key/best", arithmeticFloor, floorAtWidth(widths.back()))
        ->Unit(benchmark::kMicrosecond);
}

} // namespace
} // namespace velsaro::bench

int main(int argc, char** argv)
{
    velsaro::bench::registerBenchmarks();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
