// The mask sums for any x86-64 CPU (SSE2, two doubles per register).
#define VELSARO_KERNEL_TARGET sse2
#define VELSARO_KERNEL_WIDTH 2
#define VELSARO_KERNEL_ACCUMULATORS 8
#define VELSARO_KERNEL_LANE_BLOCKS 2
#include "engine/mask_sums_kernel.inc"
