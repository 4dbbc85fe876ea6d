// The DCT of one mask without the scale factors: the part of the key that costs, behind one plain
// signature, with a kernel per CPU target.
#pragma once

#include "engine/key_engine.h"

#include <vector>

namespace velsaro::detail {

// cos(((k x pi') x (2i + 1)) / (2N)) at i * N + k, for sample offset i (x or y) and frequency k (u or v):
// the same table serves cos(u, x) and cos(v, y).
std::vector<double> cosineTable(int n);

// sums[u * N + v] = the sum over x = 0..N-1 (outer) and y = 0..N-1 (inner) of
// (samples[x * N + y] x cos(u, x)) x cos(v, y), each product and each partial sum rounded to a double
// in that order. N is 4, 8 or 16.
using MaskSumsKernel = void (*)(int n, const double* samples, const double* cosines, double* sums);

// The widest kernel this CPU runs for Best; KernelWidth::Sse2 runs everywhere.
MaskSumsKernel maskSumsKernel(KernelWidth width);
KernelWidth bestKernelWidth();

} // namespace velsaro::detail
