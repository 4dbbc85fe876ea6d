#define FLOOR_TARGET sse2
#define FLOOR_WIDTH 2
#define FLOOR_ACCUMULATORS 8
#include "bench/floor_kernel.inc"
