#include "numerics/AkimaSpline.h"

#include "numerics/CubicSpline.h"
#include "numerics/ErrorReporting.h"

#include <cmath>
#include <vector>

namespace numerics {

void DC2AKM(std::int32_t ndata, const double* xdata, const double* fdata, double* brk,
            double* cscoef, std::int32_t* iwk)
{
    RoutineScope scope("dC2AKM ");
    if (ndata < 4) {
        E1VALI(1, ndata);
        E1MES(kTerminal, 1,
              "The number of data points must be 4 or more while NDATA = %(I1) is given.");
        return;
    }
    DC1SOR(ndata, xdata, fdata, brk, cscoef, 4, iwk);
    if (failed()) {
        return;
    }
    const std::int64_t n = ndata;
    auto C = [cscoef](int m, std::int64_t i) -> double& { return cscoef[4 * (i - 1) + (m - 1)]; };
    auto x = [brk](std::int64_t i) { return brk[i - 1]; };

    // Chord slopes m(-1) .. m(n + 1), stored at index i + 1.
    std::vector<double> slopes(static_cast<std::size_t>(n + 3));
    auto m = [&slopes](std::int64_t i) -> double& {
        return slopes[static_cast<std::size_t>(i + 1)];
    };
    for (std::int64_t i = 1; i <= n - 1; ++i) {
        m(i) = (C(1, i + 1) - C(1, i)) / (x(i + 1) - x(i));
    }
    m(0) = 2.0 * m(1) - m(2);
    m(-1) = 2.0 * m(0) - m(1);
    m(n) = 2.0 * m(n - 1) - m(n - 2);
    m(n + 1) = 2.0 * m(n) - m(n - 1);

    for (std::int64_t i = 1; i <= n; ++i) {
        const double w1 = std::fabs(m(i + 1) - m(i));
        const double w2 = std::fabs(m(i - 1) - m(i - 2));
        C(2, i) =
            (w1 + w2 == 0.0) ? (m(i - 1) + m(i)) * 0.5 : (w1 * m(i - 1) + w2 * m(i)) / (w1 + w2);
    }
    for (std::int64_t i = 1; i <= n - 1; ++i) {
        const double r = 1.0 / (x(i + 1) - x(i));
        const double s = (C(1, i + 1) - C(1, i)) * r;
        const double e = (C(2, i) + C(2, i + 1) - s - s) * r;
        C(4, i) = e * 6.0 * r;
        C(3, i) = 2 * (r * (s - C(2, i)) - e);
    }
}

} // namespace numerics
