// The one place that picks a mask kernel for the CPU the program runs on.
#include "engine/mask_transform.h"

namespace velsaro {
namespace kernels {
namespace sse2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx2 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
namespace avx512 { void maskCoefficients(int, const double*, const double*, const double*, double*); }
} // namespace kernels

std::vector<KernelWidth> supportedKernelWidths()
{
    // __builtin_cpu_supports also checks that the operating system saves the wider registers.
    std::vector<KernelWidth> widths = {KernelWidth::Sse2};
    if (__builtin_cpu_supports("avx2"))
        widths.push_back(KernelWidth::Avx2);
    if (__builtin_cpu_supports("avx512f"))
        widths.push_back(KernelWidth::Avx512);
    return widths;
}

namespace detail {

KernelWidth bestKernelWidth()
{
    static const KernelWidth best = supportedKernelWidths().back();
    return best;
}

MaskKernel maskKernel(KernelWidth width)
{
    switch (width == KernelWidth::Best ? bestKernelWidth() : width) {
    case KernelWidth::Avx512: return kernels::avx512::maskCoefficients;
    case KernelWidth::Avx2: return kernels::avx2::maskCoefficients;
    default: return kernels::sse2::maskCoefficients;
    }
}

} // namespace detail
} // namespace velsaro
