// The one place that picks the kernels for the CPU the program runs on: the mask DCT and the key scan.
#include "engine/key_scan.h"
#include "engine/mask_transform.h"

namespace velsaro {
namespace {

using detail::MaskKernel;

// One build of the kernel source: its width and whether this CPU runs it.
struct KernelBuild {
    KernelWidth width;
    MaskKernel sums;
    bool (*runsHere)();
};

struct ScanKernelBuild {
    ScanKernel kernel;
    detail::ScanBuild build;
    bool (*runsHere)();
};

bool everyCpu() { return true; }

} // namespace

// The key scan's portable build runs on every CPU of every architecture.
namespace kernels::portable {
detail::KeysWithin keysWithin;
detail::FirstKeyWithin firstKeyWithin;
detail::PairDistance distance;
} // namespace kernels::portable

#if defined(__x86_64__)

// x86-64 compiles the mask kernel for SSE2, which every x86-64 CPU has, and for AVX2 and AVX-512, and
// the key scan for AVX2 and for AVX-512 with its population count instruction. __builtin_cpu_supports
// also checks that the operating system saves the wider registers.
namespace kernels {
namespace sse2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx512 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
} // namespace kernels

namespace kernels::avx2 {
detail::KeysWithin keysWithin;
detail::FirstKeyWithin firstKeyWithin;
detail::PairDistance distance;
} // namespace kernels::avx2
namespace kernels::avx512 {
detail::KeysWithin keysWithin;
detail::FirstKeyWithin firstKeyWithin;
detail::PairDistance distance;
} // namespace kernels::avx512

namespace {
const ScanKernelBuild scanBuilds[] = {
    {ScanKernel::Portable, {kernels::portable::keysWithin, kernels::portable::firstKeyWithin, kernels::portable::distance}, everyCpu},
    {ScanKernel::Avx2, {kernels::avx2::keysWithin, kernels::avx2::firstKeyWithin, kernels::avx2::distance},
     [] { return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("popcnt") != 0; }},
    {ScanKernel::Avx512, {kernels::avx512::keysWithin, kernels::avx512::firstKeyWithin, kernels::avx512::distance},
     [] { return __builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512vpopcntdq") != 0; }},
};

const KernelBuild kernelBuilds[] = {
    {KernelWidth::Two, kernels::sse2::maskCoefficients, everyCpu},
    {KernelWidth::Four, kernels::avx2::maskCoefficients, [] { return __builtin_cpu_supports("avx2") != 0; }},
    {KernelWidth::Eight, kernels::avx512::maskCoefficients, [] { return __builtin_cpu_supports("avx512f") != 0; }},
};
} // namespace

#else

// Elsewhere the kernel is compiled once, at the 128-bit vectors that every CPU of the architecture has.
namespace kernels::native {
void maskCoefficients(int, const double*, const double*, const double*, double*);
}

namespace {
const ScanKernelBuild scanBuilds[] = {
    {ScanKernel::Portable, {kernels::portable::keysWithin, kernels::portable::firstKeyWithin, kernels::portable::distance}, everyCpu}};
const KernelBuild kernelBuilds[] = {{KernelWidth::Two, kernels::native::maskCoefficients, everyCpu}};
} // namespace

#endif

std::vector<KernelWidth> supportedKernelWidths()
{
    std::vector<KernelWidth> widths;
    for (const KernelBuild& build : kernelBuilds)
        if (build.runsHere())
            widths.push_back(build.width);
    return widths;
}

std::vector<ScanKernel> supportedScanKernels()
{
    std::vector<ScanKernel> kernels;
    for (const ScanKernelBuild& build : scanBuilds)
        if (build.runsHere())
            kernels.push_back(build.kernel);
    return kernels;
}

namespace detail {

ScanBuild scanKernel(ScanKernel kernel)
{
    static const ScanKernel best = supportedScanKernels().back();
    const ScanKernel wanted = kernel == ScanKernel::Best ? best : kernel;
    for (const ScanKernelBuild& build : scanBuilds)
        if (build.kernel == wanted)
            return build.build;
    return scanBuilds[0].build;
}

KernelWidth bestKernelWidth()
{
    static const KernelWidth best = supportedKernelWidths().back();
    return best;
}

// A width this build lacks gets the narrowest kernel, which every CPU runs.
MaskKernel maskKernel(KernelWidth width)
{
    const KernelWidth wanted = width == KernelWidth::Best ? bestKernelWidth() : width;
    for (const KernelBuild& build : kernelBuilds)
        if (build.width == wanted)
            return build.sums;
    return kernelBuilds[0].sums;
}

} // namespace detail
} // namespace velsaro
