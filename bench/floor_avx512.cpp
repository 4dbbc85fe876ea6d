#define FLOOR_TARGET avx512
#define FLOOR_WIDTH 8
#define FLOOR_ACCUMULATORS 16
#include "bench/floor_kernel.inc"
