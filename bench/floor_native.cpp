// The floor outside x86-64, at the engine's 128-bit vectors of two doubles.
#define FLOOR_TARGET native
#define FLOOR_WIDTH 2
#define FLOOR_ACCUMULATORS 8
#if defined(__aarch64__)
#define FLOOR_VECTOR_REGISTER "w" // a NEON register
#else
#define FLOOR_VECTOR_REGISTER "g" // wherever the compiler keeps it
#endif
#include "bench/floor_kernel.inc"
