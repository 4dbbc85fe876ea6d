#define FLOOR_TARGET avx2
#define FLOOR_WIDTH 4
#define FLOOR_ACCUMULATORS 8
#include "bench/floor_kernel.inc"
