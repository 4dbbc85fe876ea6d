// The DCT of one mask: the part of the key that costs, behind one plain signature, with a kernel per
// CPU target.
#pragma once

#include "engine/key_engine.h"

#include <vector>

namespace velsaro::detail {

// What the kernels share for one mask size, computed once per process.
struct LevelTables {
    int n = 0;
    // cos(((k x pi') x (2i + 1)) / (2N)) at i * N + k, for sample offset i (x or y) and frequency k
    // (u or v): the same table serves cos(u, x) and cos(v, y).
    std::vector<double> cosines;
    // a(u) x a(v) / divisores(u, v) at u * N + v. The divisors are powers of two, so scaling by this one
    // factor rounds exactly as multiplying by a(u) x a(v) and then dividing by the divisor.
    std::vector<double> scales;
    std::vector<std::int32_t> divisores; // calculaDivisores(n)
};

const LevelTables& levelTables(int n); // n is 4, 8 or 16

// coefficients[u * N + v] = scales[u * N + v] x the sum over x = 0..N-1 (outer) and y = 0..N-1
// (inner) of (samples[x * N + y] x cos(u, x)) x cos(v, y), each product and each partial sum rounded
// to a double in that order.
using MaskKernel = void (*)(int n, const double* samples, const double* cosines, const double* scales,
                            double* coefficients);

// The widest kernel this CPU runs for Best; KernelWidth::Two runs everywhere.
MaskKernel maskKernel(KernelWidth width);

} // namespace velsaro::detail
