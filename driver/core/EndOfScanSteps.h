#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace driver::core {

// The per-channel steps of end-of-scan processing, as pure functions over one channel's
// buffer. `pixels` spans the pixels a step works on; callers size spans from the client
// buffer, which holds at least 2048 floats and at least the hardware's pixel count.

// Divides every pixel by the number of scans summed (as a float).
void averagePixels(std::span<float> pixels, int scansToAverage);

// x / (c0 + c1 x + ... + c7 x^7), evaluated in double, stored as float.
void correctNonLinearity(std::span<float> pixels, const std::array<double, 8>& coefficients);

// Electrical dark of even and odd pixels: estimates both levels from the first 14 pixels
// (dropping each set's minimum and maximum), moves the carried levels a quarter of the
// way, zeroes pixels 0 and 1 and subtracts the levels from (pixelCount - 1) / 2 pairs
// from pixel 2. `buffer` must hold at least max(14, pixelCount) floats.
void correctEvenOddDark(std::span<float> buffer, int pixelCount, float& evenLevel, float& oddLevel);

// Subtracts (sum of all pixels) x constant / divisor from every pixel.
void correctStrayLight(std::span<float> pixels, float constant, double divisor);

// Boxcar smoothing of half-width w over indices first..last (inclusive) of `buffer`:
// pixel j becomes the mean of the original values j - w to j + w. A sliding sum kept in
// double, so the cost does not grow with w. `scratch` receives the original values and
// must hold last + w + 1 floats; an empty range leaves the buffer as it is.
void boxcarSmooth(std::span<float> buffer, std::span<float> scratch, int halfWidth, int first,
                  int last);

// Correlated double sampling of a 2048-pixel Lemmik channel. Single-sampling converters
// deliver signal and reset in two halves (pixel k minus pixel k + 1024); otherwise the
// pairs are interleaved (pixel k = copy[2k - 2] - copy[2k - 1]). Pixels 1024 to 2047 end
// as 0. `buffer` and `scratch` hold at least 2048 floats.
void correlatedDoubleSampling(std::span<float> buffer, std::span<float> scratch, bool halves);

} // namespace driver::core
