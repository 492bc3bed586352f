#include "driver/core/EndOfScanSteps.h"

#include <algorithm>

namespace driver::core {

void averagePixels(std::span<float> pixels, int scansToAverage)
{
    const auto divisor = static_cast<float>(scansToAverage);
    for (float& pixel : pixels)
        pixel /= divisor;
}

namespace {

// Horner form of c0 + c1 x + ... + cD x^D, with the degree fixed so that the loop over the
// pixels has a straight body the compiler can vectorise.
template <int Degree>
void nonLinearityOfDegree(std::span<float> pixels, const std::array<double, 8>& c)
{
    for (float& pixel : pixels) {
        const double x = pixel;
        double polynomial = c[Degree];
        for (int k = Degree - 1; k >= 0; --k)
            polynomial = polynomial * x + c[k];
        pixel = static_cast<float>(x / polynomial);
    }
}

} // namespace

void correctNonLinearity(std::span<float> pixels, const std::array<double, 8>& c)
{
    // Leading zero coefficients add nothing to a finite polynomial (0 x + c is c), so the
    // evaluation starts at the highest non-zero one; calibrations rarely use all eight.
    int degree = 7;
    while (degree > 0 && c[static_cast<std::size_t>(degree)] == 0.0)
        --degree;
    using Step = void (*)(std::span<float>, const std::array<double, 8>&);
    static constexpr std::array<Step, 8> kByDegree = {
        nonLinearityOfDegree<0>, nonLinearityOfDegree<1>, nonLinearityOfDegree<2>,
        nonLinearityOfDegree<3>, nonLinearityOfDegree<4>, nonLinearityOfDegree<5>,
        nonLinearityOfDegree<6>, nonLinearityOfDegree<7>};
    kByDegree[static_cast<std::size_t>(degree)](pixels, c);
}

void correctEvenOddDark(std::span<float> buffer, int pixelCount, float& evenLevel, float& oddLevel)
{
    constexpr int kEstimatePixels = 14;
    if (buffer.size() < kEstimatePixels)
        return;
    buffer[0] += 2.0f;
    double evenSum = 0.0;
    double oddSum = 0.0;
    float evenMin = buffer[0];
    float evenMax = buffer[0];
    float oddMin = buffer[1];
    float oddMax = buffer[1];
    for (int i = 0; i < kEstimatePixels; i += 2) {
        evenSum += buffer[i];
        oddSum += buffer[i + 1];
        evenMin = std::min(evenMin, buffer[i]);
        evenMax = std::max(evenMax, buffer[i]);
        oddMin = std::min(oddMin, buffer[i + 1]);
        oddMax = std::max(oddMax, buffer[i + 1]);
    }
    evenLevel = static_cast<float>((evenSum - (double(evenMax) + evenMin)) / 5.0 * 0.25 +
                                   double(evenLevel) * 0.75);
    oddLevel = static_cast<float>((oddSum - (double(oddMax) + oddMin)) / 5.0 * 0.25 +
                                  double(oddLevel) * 0.75);
    buffer[0] = 0.0f;
    buffer[1] = 0.0f;
    const std::size_t pairs = static_cast<std::size_t>(std::max(pixelCount - 1, 0) / 2);
    const std::size_t limit = std::min(pairs, (buffer.size() - 2) / 2);
    for (std::size_t k = 0; k < limit; ++k) {
        buffer[2 + 2 * k] -= evenLevel;
        buffer[3 + 2 * k] -= oddLevel;
    }
}

void correctStrayLight(std::span<float> pixels, float constant, double divisor)
{
    // Four partial sums, so the additions do not wait on each other; in double, the order
    // changes nothing that a float result can show.
    std::array<double, 4> partial{};
    std::size_t i = 0;
    for (; i + 4 <= pixels.size(); i += 4) {
        for (std::size_t k = 0; k < 4; ++k)
            partial[k] += pixels[i + k];
    }
    for (; i < pixels.size(); ++i)
        partial[0] += pixels[i];
    const double sum = (partial[0] + partial[1]) + (partial[2] + partial[3]);
    const auto stray = static_cast<float>(sum * constant / divisor);
    for (float& pixel : pixels)
        pixel -= stray;
}

void boxcarSmooth(std::span<float> buffer, std::span<float> scratch, int halfWidth, int first,
                  int last)
{
    if (halfWidth <= 0 || first > last || first - halfWidth < 0)
        return;
    const auto end = static_cast<std::size_t>(last + halfWidth + 1);
    if (end > buffer.size() || end > scratch.size())
        return;
    std::copy(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end), scratch.begin());
    const double width = 2.0 * halfWidth + 1.0;
    double sum = 0.0;
    for (int i = first - halfWidth; i <= first + halfWidth; ++i)
        sum += scratch[static_cast<std::size_t>(i)];
    for (int j = first;; ++j) {
        buffer[static_cast<std::size_t>(j)] = static_cast<float>(sum / width);
        if (j == last)
            break;
        sum += double(scratch[static_cast<std::size_t>(j + halfWidth + 1)]) -
               double(scratch[static_cast<std::size_t>(j - halfWidth)]);
    }
}

void correlatedDoubleSampling(std::span<float> buffer, std::span<float> scratch, bool halves)
{
    constexpr std::size_t kHalf = 1024;
    if (buffer.size() < 2 * kHalf || scratch.size() < 2 * kHalf)
        return;
    if (halves) {
        for (std::size_t k = 1; k < kHalf; ++k)
            buffer[k] -= buffer[k + kHalf];
    } else {
        std::copy(buffer.begin(), buffer.begin() + 2 * kHalf, scratch.begin());
        buffer[0] = 0.0f;
        buffer[1] = 0.0f;
        for (std::size_t k = 2; k < kHalf; ++k)
            buffer[k] = scratch[2 * k - 2] - scratch[2 * k - 1];
    }
    std::fill(buffer.begin() + kHalf, buffer.begin() + 2 * kHalf, 0.0f);
}

} // namespace driver::core
