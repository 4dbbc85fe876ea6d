// The mask sums outside x86-64, at 128-bit vectors of two doubles (NEON on arm64, VSX on ppc64el);
// where a CPU has no such vectors, GCC splits each one into plain doubles, which round alike.
#define VELSARO_KERNEL_TARGET native
#define VELSARO_KERNEL_WIDTH 2
#define VELSARO_KERNEL_ACCUMULATORS 8
#define VELSARO_KERNEL_LANE_BLOCKS 2
#include "engine/mask_sums_kernel.inc"
