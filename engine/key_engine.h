// The key of a picture: the 3x3 mesh, the masks of the three levels, their DCT, the matrices P and S,
// the nine codes per level and the 27-code key text. Plain C++ without Qt: pixels come in through a
// PixelReader, so the same engine serves the desktop program, the command-line tool and the tests.
#pragma once

#include "engine/geometry.h"
#include "engine/pixel_reader.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

namespace velsaro {

// pi as the key has always used it; the cosine sums of a flat mask are therefore not exactly zero.
inline constexpr double piPrime = 3.141592;

inline constexpr std::array<int, 3> levelMaskSizes = {4, 8, 16};

// Everything one level leaves behind: the detail window shows the coefficients, P and S of a level.
struct LevelResult {
    int n = 0;                          // mask size N
    std::vector<std::int32_t> divisores; // N x N, (u, v) at u * N + v
    std::vector<double> coeficientes;    // 9 x N x N, (j, u, v) at (j * N + u) * N + v
    std::array<std::array<double, 3>, 3> matrizP{};
    std::array<std::array<std::int16_t, 9>, 9> matrizS{};
    std::array<std::int16_t, 9> codes{};

    double coefficient(int j, int u, int v) const { return coeficientes[(j * n + u) * n + v]; }
};

// The 27 codes of a key, level by level, each 0..255.
inline constexpr int keyCodeCount = 27;
using KeyCodes = std::array<std::uint8_t, keyCodeCount>;

// "c0.c1. ... c26.": each code in shortest decimal form followed by ".".
std::string keyText(const KeyCodes& codes);

struct Key {
    std::array<LevelResult, 3> levels;
    std::string text; // keyText(codes())

    KeyCodes codes() const;
};

// Vector width of the DCT kernel in doubles. Every width gives the same bits; Best picks the widest
// that this CPU runs. Two runs on every CPU (SSE2 on x86-64, NEON on arm64); Four (AVX2) and Eight
// (AVX-512) exist on x86-64 only.
enum class KernelWidth { Best = 0, Two = 2, Four = 4, Eight = 8 };
std::vector<KernelWidth> supportedKernelWidths();

struct EngineOptions {
    // Outer size of the picture area that the mesh divides into quarters.
    double width = pictureAreaWidth;
    double height = pictureAreaHeight;
    KernelWidth kernel = KernelWidth::Best;
    // Called as each mask of a level starts, with its intersection j = 0..8. computeLevel calls it
    // before it reads the mask's pixels, so the main window can advance and repaint its progress bar
    // there; computeKey reads all pixels first.
    std::function<void(int j)> maskStarting = {};
};

// One level with masks of size n (4, 8 or 16).
LevelResult computeLevel(int n, const PixelReader& readPixel, const EngineOptions& options = {});

// The samples of the nine largest masks, (j, x, y) at (j * 16 + x) * 16 + y. The smaller masks of an
// intersection are nested in its largest one, so these are all the pixels a key reads.
inline constexpr int largestMaskSize = levelMaskSizes.back();
using LargestMasks = std::array<double, 9 * largestMaskSize * largestMaskSize>;

// The three levels and the key text from the samples of the largest masks.
Key keyOfLargestMasks(const LargestMasks& samples, const EngineOptions& options = {});

// Reads the largest masks through readPixel, (x, y) -> colour number. A template, so that reading a
// known picture type compiles to plain loads: the 2,304 reads through an opaque call would cost a
// fifth of the key. Only integer-to-double conversions happen here, none that could be fused.
template <typename Read>
    requires std::is_invocable_r_v<std::int32_t, const Read&, int, int>
void readLargestMasks(const Read& readPixel, const EngineOptions& options, LargestMasks& samples)
{
    const MeshGeometry mesh = meshGeometry(options.width, options.height, largestMaskSize);
    for (int j = 0; j < 9; ++j) {
        const PixelPosition corner = mesh.maskCorner(j);
        double* mask = samples.data() + j * largestMaskSize * largestMaskSize;
        for (int x = 0; x < largestMaskSize; ++x)
            for (int y = 0; y < largestMaskSize; ++y)
                mask[x * largestMaskSize + y] = readPixel(corner.x + x, corner.y + y);
    }
}

// The three levels and the key text. Every pixel is read once, the largest masks first.
template <typename Read>
    requires std::is_invocable_r_v<std::int32_t, const Read&, int, int>
Key computeKey(const Read& readPixel, const EngineOptions& options = {})
{
    LargestMasks samples;
    readLargestMasks(readPixel, options, samples);
    return keyOfLargestMasks(samples, options);
}

// The nine codes of a level as key text: "c0.c1. ... c8.".
std::string levelKeyText(const LevelResult& level);

// Divisor of each coefficient of an N x N mask, (u, v) at u * N + v: 1 at (0, 0), else 2^(max(u, v) - 1).
std::vector<std::int32_t> calculaDivisores(int n);

// Fills matrizS and the nine codes of a level from its matrizP.
void calculaMatrizS(LevelResult& level);

// Value of a string of "0" and "1" read as a binary numeral, most significant digit first.
std::int16_t binarioADecimal(const std::string& digits);

} // namespace velsaro
