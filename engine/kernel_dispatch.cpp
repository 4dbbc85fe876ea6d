// The one place that picks a mask kernel for the CPU the program runs on.
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

bool everyCpu() { return true; }

} // namespace

#if defined(__x86_64__)

// x86-64 compiles the kernel for SSE2, which every x86-64 CPU has, and for AVX2 and AVX-512.
// __builtin_cpu_supports also checks that the operating system saves the wider registers.
namespace kernels {
namespace sse2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx512 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
} // namespace kernels

namespace {
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

namespace detail {

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
