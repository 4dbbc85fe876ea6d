// The mask sums for AVX2 CPUs (four doubles per register, 16 registers).
#define VELSARO_KERNEL_TARGET avx2
#define VELSARO_KERNEL_WIDTH 4
#define VELSARO_KERNEL_ACCUMULATORS 8
#define VELSARO_KERNEL_LANE_BLOCKS 2
#include "engine/mask_sums_kernel.inc"
