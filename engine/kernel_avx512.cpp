// The mask sums for AVX-512 CPUs (eight doubles per register, 32 registers).
#define VELSARO_KERNEL_TARGET avx512
#define VELSARO_KERNEL_WIDTH 8
#define VELSARO_KERNEL_ACCUMULATORS 16
#define VELSARO_KERNEL_LANE_BLOCKS 1
#include "engine/mask_sums_kernel.inc"
