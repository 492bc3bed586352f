#include "numerics/SpecialFunctions.h"

#include "numerics/ChebyshevTables.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"

#include <algorithm>
#include <cmath>

namespace numerics {

namespace {

constexpr double kPi = 3.14159265358979323846264338327950;
constexpr double kLnSqrtTwoPi = 0.9189385332046728;
constexpr double kLnSqrtHalfPi = 0.22579135264472744;
constexpr double kSqrtPi = 1.772453850905516;
constexpr double kTwoOverPi = 0.6366197723675814;

double nan()
{
    return DMACH(6);
}

// The derived constants of a routine, computed on its first call.
struct GammaConstants
{
    std::int32_t terms = 0;
    double xmin = 0.0;
    double xmax = 0.0;
    double xsml = 0.0;
    double dxrel = 0.0;
};

const GammaConstants& gammaConstants()
{
    static const GammaConstants c = [] {
        GammaConstants g;
        g.terms = INITDS(kGammaSeries.data(), 42, 0.1f * static_cast<float>(DMACH(3)));
        D9GAML(g.xmin, g.xmax);
        g.xsml = std::exp(std::max(std::log(DMACH(1)), -std::log(DMACH(2))) + 0.01);
        g.dxrel = std::sqrt(DMACH(4));
        return g;
    }();
    return c;
}

// True when x lies so close to a negative integer that half the digits are lost.
bool nearNegativeInteger(double x, double dxrel)
{
    return std::fabs((x - std::trunc(x - 0.5)) / x) < dxrel;
}

void warnNearNegativeInteger(double x)
{
    E1VALD(1, x);
    E1MES(kWarning, 2,
          "The result is accurate to less than one half precision because X = %(d1) is too "
          "close to a negative integer.");
}

} // namespace

std::int32_t INITDS(const double* os, std::int32_t nos, float eta)
{
    RoutineScope scope("INITDS");
    if (nos < 1) {
        E1VALI(1, nos);
        E1MES(kTerminal, 5, "The number of coefficients is less than 1. NOS = %(I1).");
        return 0;
    }
    float err = 0.0f;
    std::int32_t i = nos;
    for (std::int32_t ii = 1; ii <= nos; ++ii) {
        i = nos + 1 - ii;
        err += std::fabs(static_cast<float>(os[i - 1]));
        if (err > eta) {
            break;
        }
    }
    if (i == nos) {
        E1MES(kTerminal, 6, "Too much accuracy may be requested. ETA should be increased.");
        return 0;
    }
    return i;
}

double DCSEVL(double x, const double* cs, std::int32_t n)
{
    RoutineScope scope("DCSEVL");
    if (n < 1) {
        E1VALI(1, n);
        E1MES(kTerminal, 5, "The number of terms in the series is not positive. N = %(I1).");
        return nan();
    }
    if (n > 1000) {
        E1VALI(1, n);
        E1MES(kTerminal, 6, "The number of terms in the series is greater than 1000. N = %(I1).");
        return nan();
    }
    // The series is valid on [-1, 1]; beyond it (with rounding slack) the value is an
    // extrapolation and is flagged.
    if (std::fabs(x) > 1.0 + 2.0 * DMACH(4)) {
        E1VALD(1, x);
        E1MES(kWarning, 7, "The argument X = %(D1) is outside the interval (-1.1,+1.1).");
    }
    double b0 = 0.0;
    double b1 = 0.0;
    double b2 = 0.0;
    const double twox = 2.0 * x;
    for (std::int32_t i = n; i >= 1; --i) {
        b2 = b1;
        b1 = b0;
        b0 = twox * b1 - b2 + cs[i - 1];
    }
    return (b0 - b2) * 0.5;
}

double D9LGMC(double x)
{
    RoutineScope scope("D9LGMC");
    static const std::int32_t terms =
        INITDS(kLogGammaCorrectionSeries.data(), 15, static_cast<float>(DMACH(3)));
    static const double xbig = 1.0 / std::sqrt(DMACH(3));
    static const double xmax =
        std::exp(std::min(std::log(DMACH(2) / 12.0), -std::log(12.0 * DMACH(1))));
    if (!(x >= 10.0)) {
        E1VALD(1, x);
        E1MES(kTerminal, 5, "The argument X = %(D1) must be greater than or equal to 10.0.");
        return nan();
    }
    if (x >= xmax) {
        E1VALD(1, x);
        E1VALD(2, xmax);
        E1MES(kAlert, 1,
              "The function underflows because X = %(D1) is greater than %(D2). The result is "
              "set to zero.");
        return 0.0;
    }
    if (x < xbig) {
        const double t = 10.0 / x;
        return DCSEVL(2.0 * t * t - 1.0, kLogGammaCorrectionSeries.data(), terms) / x;
    }
    return 1.0 / (12.0 * x);
}

void D9GAML(double& xmin, double& xmax)
{
    RoutineScope scope("D9GAML");
    xmin = nan();
    xmax = nan();
    const double alnsml = std::log(DMACH(1));
    double lo = -alnsml;
    bool converged = false;
    for (int i = 0; i < 10; ++i) {
        const double previous = lo;
        lo -= lo * ((lo + 0.5) * std::log(lo) - lo - 0.2258 + alnsml) / (lo * std::log(lo) + 0.5);
        if (std::fabs(lo - previous) < 0.005) {
            converged = true;
            break;
        }
    }
    if (!converged) {
        E1MES(kTerminal, 5, "Unable to determine the value of XMIN.");
        return;
    }
    lo = -lo + 0.01;
    const double alnbig = std::log(DMACH(2));
    double hi = alnbig;
    converged = false;
    for (int i = 0; i < 10; ++i) {
        const double previous = hi;
        hi -= hi * ((hi - 0.5) * std::log(hi) - hi + 0.9189 - alnbig) / (hi * std::log(hi) - 0.5);
        if (std::fabs(hi - previous) < 0.005) {
            converged = true;
            break;
        }
    }
    if (!converged) {
        E1MES(kTerminal, 6, "Unable to determine the value of XMAX.");
        return;
    }
    xmax = hi - 0.01;
    xmin = std::max(lo, 1.0 - xmax);
}

double DGAMMA(double x)
{
    RoutineScope scope("dGAMMA ");
    const GammaConstants& c = gammaConstants();
    if (std::isnan(x)) {
        return x;
    }
    if (std::fabs(x) <= 10.0) {
        auto n = static_cast<std::int32_t>(x);
        if (x < 0.0) {
            --n;
        }
        const double y = x - n;
        --n;
        double g = 0.9375 + DCSEVL(2.0 * y - 1.0, kGammaSeries.data(), c.terms);
        if (n == 0) {
            return g;
        }
        if (n < 0) {
            n = -n;
            if (x == 0.0) {
                E1MES(kTerminal, 5, "The argument for the function can not be zero.");
                return nan();
            }
            if (y < c.xsml) {
                E1VALD(1, x);
                E1MES(kTerminal, 4,
                      "The function overflows because X = %(d1) is too close to zero.");
                return nan();
            }
            if (x < 0.0 && x + n - 2 == 0.0) {
                E1VALD(1, x);
                E1MES(kTerminal, 6,
                      "The argument for the function can not be a negative integer. Argument X "
                      "= %(d1).");
                return nan();
            }
            if (x < -0.5 && nearNegativeInteger(x, c.dxrel)) {
                warnNearNegativeInteger(x);
            }
            for (std::int32_t i = 0; i < n; ++i) {
                g /= (x + i);
            }
            return g;
        }
        for (std::int32_t i = 1; i <= n; ++i) {
            g *= (y + i);
        }
        return g;
    }
    if (x > c.xmax) {
        E1VALD(1, x);
        E1VALD(2, c.xmax);
        E1MES(kTerminal, 4, "The function overflows because X = %(d1) is greater than %(d2).");
        return nan();
    }
    if (x < c.xmin) {
        E1VALD(1, x);
        E1VALD(2, c.xmin);
        E1MES(kAlert, 1,
              "The function underflows because X = %(d1) is less than %(d2). The result is set "
              "to zero.");
        return 0.0;
    }
    const double y = std::fabs(x);
    const double g = std::exp((y - 0.5) * std::log(y) - y + kLnSqrtTwoPi + D9LGMC(y));
    if (x > 0.0) {
        return g;
    }
    if (nearNegativeInteger(x, c.dxrel)) {
        warnNearNegativeInteger(x);
    }
    // sin(pi y) of a large integer y is rounding noise rather than 0, so negative
    // integers are recognised by the argument itself.
    const double s = std::sin(kPi * y);
    if (s == 0.0 || y == std::trunc(y)) {
        E1VALD(1, x);
        E1MES(kTerminal, 7,
              "The argument for the function can not be a negative integer. Argument X = "
              "%(d1).");
        return nan();
    }
    return -kPi / (y * s * g);
}

double DLNGAM(double x)
{
    RoutineScope scope("dLNGAM");
    static const double xmax = DMACH(2) / std::log(DMACH(2));
    static const double dxrel = std::sqrt(DMACH(4));
    const double y = std::fabs(x);
    if (std::isnan(x)) {
        return x;
    }
    if (y <= 10.0) {
        return std::log(std::fabs(DGAMMA(x)));
    }
    if (y > xmax) {
        E1VALD(1, x);
        E1VALD(2, xmax);
        E1MES(kTerminal, 4, "The function overflows because ABS(%(d1)) is greater than %(d2).");
        return nan();
    }
    if (x > 0.0) {
        return kLnSqrtTwoPi + (x - 0.5) * std::log(x) - x + D9LGMC(y);
    }
    const double s = std::fabs(std::sin(kPi * y));
    if (s == 0.0 || y == std::trunc(y)) {
        E1VALD(1, x);
        E1MES(kTerminal, 5,
              "The argument for the function can not be a negative integer. Argument X = "
              "%(d1).");
        return nan();
    }
    const double result = kLnSqrtHalfPi + (x - 0.5) * std::log(y) - x - std::log(s) - D9LGMC(y);
    if (nearNegativeInteger(x, dxrel)) {
        warnNearNegativeInteger(x);
    }
    return result;
}

double DLNREL(double x)
{
    RoutineScope scope("dLNREL");
    static const std::int32_t terms =
        INITDS(kLogOnePlusSeries.data(), 43, 0.1f * static_cast<float>(DMACH(3)));
    static const double xmin = -1.0 + std::sqrt(DMACH(4));
    if (!(x > -1.0)) {
        E1VALD(1, x);
        E1MES(kTerminal, 5, "The argument X = %(d1) must be greater than -1.0.");
        return nan();
    }
    const double result = std::fabs(x) <= 0.375
                              ? x * (1.0 - x * DCSEVL(x / 0.375, kLogOnePlusSeries.data(), terms))
                              : std::log(1.0 + x);
    if (x < xmin) {
        E1VALD(1, x);
        E1VALD(2, xmin);
        E1MES(kWarning, 2,
              "The result is accurate to less than one half precision because X = %(d1) is too "
              "close to -1.0. X must be greater than %(d2).");
    }
    return result;
}

double DERFC(double x)
{
    RoutineScope scope("DERFC");
    static const float eta = 0.1f * static_cast<float>(DMACH(3));
    static const std::int32_t nterf = INITDS(kErfSeries.data(), 21, eta);
    static const std::int32_t nterc2 = INITDS(kErfcMiddleSeries.data(), 49, eta);
    static const std::int32_t nterfc = INITDS(kErfcTailSeries.data(), 59, eta);
    static const double xsml = -std::sqrt(-std::log(kSqrtPi * DMACH(3)));
    static const double xmax = [] {
        const double t = std::sqrt(-std::log(kSqrtPi * DMACH(1)));
        return t - 0.5 * std::log(t) / t - 0.01;
    }();
    static const double sqeps = std::sqrt(2.0 * DMACH(3));
    if (std::isnan(x)) {
        return x;
    }
    if (x <= xsml) {
        return 2.0;
    }
    if (x > xmax) {
        E1VALD(1, x);
        E1VALD(2, xmax);
        E1MES(kAlert, 1,
              "The function underflows because X = %(d1) is greater than %(d2). The result is "
              "set to zero.");
        return 0.0;
    }
    const double ax = std::fabs(x);
    if (ax <= 1.0) {
        if (ax < sqeps) {
            return 1.0 - 2.0 * x / kSqrtPi;
        }
        return 1.0 - x * (1.0 + DCSEVL(2.0 * x * x - 1.0, kErfSeries.data(), nterf));
    }
    const double y = x * x;
    double result = 0.0;
    if (y <= 4.0) {
        result = std::exp(-y) / ax *
                 (0.5 + DCSEVL((8.0 / y - 5.0) / 3.0, kErfcMiddleSeries.data(), nterc2));
    } else {
        result = std::exp(-y) / ax * (0.5 + DCSEVL(8.0 / y - 1.0, kErfcTailSeries.data(), nterfc));
    }
    return x < 0.0 ? 2.0 - result : result;
}

double DLBETA(double a, double b)
{
    RoutineScope scope("dLBETA");
    const double p = std::min(a, b);
    const double q = std::max(a, b);
    if (!(p > 0.0)) {
        E1MES(kTerminal, 5, "Both arguments for the function must be greater than zero.");
        return nan();
    }
    auto clearUnderflow = [] {
        if (N1RTY(1) == kAlert && N1RCD(1) == 1) {
            E1MES(0, 0, " ");
        }
    };
    if (q < 10.0) {
        return std::log(DGAMMA(p) * (DGAMMA(q) / DGAMMA(p + q)));
    }
    if (p < 10.0) {
        const double corr = D9LGMC(q) - D9LGMC(p + q);
        clearUnderflow();
        return DLNGAM(p) + corr + p - p * std::log(p + q) + (q - 0.5) * DLNREL(-p / (p + q));
    }
    const double corr = D9LGMC(p) + D9LGMC(q) - D9LGMC(p + q);
    clearUnderflow();
    return -0.5 * std::log(q) + kLnSqrtTwoPi + corr + (p - 0.5) * std::log(p / (p + q)) +
           q * DLNREL(-p / (p + q));
}

double DBETAI(double x, double pin, double qin)
{
    RoutineScope scope("dBETAI");
    static const double eps = DMACH(3);
    static const double alneps = std::log(eps);
    static const double sml = 100.0 * DMACH(1);
    static const double alnsml = std::log(sml);
    if (!(x >= 0.0 && x <= 1.0)) {
        E1VALD(1, x);
        E1MES(kTerminal, 5, "X = %(d1) is not in the range (0.0,1.0).");
    }
    if (!(pin > 0.0 && qin > 0.0)) {
        E1VALD(1, pin);
        E1VALD(2, qin);
        E1MES(kTerminal, 6, "Both PIN = %(d1) and QIN = %(d2) must be greater than 0.0.");
    }
    if (N1RTY(0) == kTerminal) {
        return nan();
    }
    double y = x;
    double p = pin;
    double q = qin;
    if ((qin > pin || x >= 0.8) && x >= 0.2) {
        y = 1.0 - x;
        p = qin;
        q = pin;
    }
    const bool complement = y != x || p != pin;
    if ((p + q) * y / (p + 1.0) < eps) {
        double result = 0.0;
        const double xb = p * std::log(std::max(y, sml)) - std::log(p) - DLBETA(p, q);
        if (xb > alnsml && y != 0.0) {
            result = std::exp(xb);
        }
        return complement ? 1.0 - result : result;
    }
    double ps = q - std::trunc(q);
    if (ps == 0.0) {
        ps = 1.0;
    }
    double xb = p * std::log(y) - DLBETA(ps, p) - std::log(p);
    double result = 0.0;
    if (xb >= alnsml) {
        result = std::exp(xb);
        double term = result * p;
        if (ps != 1.0) {
            const auto n =
                static_cast<std::int32_t>(static_cast<float>(std::max(alneps / std::log(y), 4.0)));
            for (std::int32_t i = 1; i <= n; ++i) {
                const double xi = i;
                term = term * (xi - ps) * y / xi;
                result += term / (p + xi);
            }
        }
    }
    if (q > 1.0) {
        xb = p * std::log(y) + q * std::log(1.0 - y) - DLBETA(p, q) - std::log(q);
        auto ib = static_cast<std::int32_t>(static_cast<float>(std::max(xb / alnsml, 0.0)));
        double term = std::exp(xb - ib * alnsml);
        const double c = 1.0 / (1.0 - y);
        const double p1 = q * c / (p + q - 1.0);
        double sum = 0.0;
        auto n = static_cast<std::int32_t>(q);
        if (q == static_cast<double>(n)) {
            --n;
        }
        for (std::int32_t i = 1; i <= n; ++i) {
            if (p1 <= 1.0 && term / eps <= sum) {
                break;
            }
            const double xi = i;
            term = (q - xi + 1.0) * c * term / (p + q - xi);
            if (term > 1.0) {
                --ib;
                term *= sml;
            }
            if (ib == 0) {
                sum += term;
            }
        }
        result += sum;
    }
    if (complement) {
        result = 1.0 - result;
    }
    return std::max(std::min(result, 1.0), 0.0);
}

double DFDF(double f, double dfn, double dfd)
{
    RoutineScope scope("dFDF");
    if (!(dfn > 0.0)) {
        E1VALD(1, dfn);
        E1MES(kTerminal, 1, "DFN = %(d1) must be greater than 0.0.");
        return nan();
    }
    if (!(dfd > 0.0)) {
        E1VALD(1, dfd);
        E1MES(kTerminal, 2, "DFD = %(d1) must be greater than 0.0.");
        return nan();
    }
    if (f <= 0.0) {
        E1VALD(1, f);
        E1MES(kNote, 3, "Since F = %(d1) is not positive, the distribution function is zero at F.");
        return 0.0;
    }
    if (std::isnan(f)) {
        return f;
    }
    const double x = dfd / (dfn * f + dfd);
    return 1.0 - DBETAI(x, dfd / 2.0, dfn / 2.0);
}

double DTDF(double t, double df)
{
    RoutineScope scope("dTDF");
    if (!(df >= 1.0)) {
        E1VALD(1, df);
        E1MES(kTerminal, 1,
              "The input number of degrees of freedom, DF = %(d1), must be at least 1.");
        return nan();
    }
    if (std::isnan(t)) {
        return t;
    }
    const double t2 = t * t;
    double q = 0.0;
    if (df <= t2) {
        q = DBETAI(df / (df + t2), df / 2.0, 0.5);
    } else {
        double y = t2 / df;
        double b = 1.0 + y;
        const bool integral = df == std::trunc(df);
        if (!integral || df >= 20.0) {
            // Hill's normal approximation (CACM Algorithm 395).
            if (b - 1.0 != 0.0) {
                y = y * std::log(b) / (b - 1.0);
            }
            const double a = df - 0.5;
            b = 48.0 * a * a;
            y = a * y;
            const double z =
                (((((-0.4 * y - 3.3) * y - 24.0) * y - 85.5) / (0.8 * y * y + 100.0 + b) + y +
                  3.0) /
                     b +
                 1.0) *
                std::sqrt(y);
            q = z >= 18.8125 ? 0.0 : DERFC(z * 0.7071067811865476);
        } else if (t2 >= 4.0) {
            // The tail series of the same algorithm.
            const auto n = static_cast<std::int32_t>(df);
            double a = 1.0;
            double d = df;
            for (std::int32_t k = 1;; ++k) {
                d = d * (2.0 * k - 1.0) / (b * 2.0 * k);
                const double next = a + d / (df + 2.0 * k);
                if (next == a) {
                    break;
                }
                a = next;
            }
            std::int32_t j = n;
            while (j > 1 && a >= 1e-30) {
                a = a * (j - 1) / (b * j);
                j -= 2;
            }
            if (n % 2 == 1) {
                a = std::sqrt(b) * kTwoOverPi * a / b;
            }
            q = a;
        } else {
            // The finite sum.
            const auto n = static_cast<std::int32_t>(df);
            const double s = std::sqrt(y);
            double a = n == 1 ? 0.0 : s;
            for (std::int32_t j = n - 2; j > 1; j -= 2) {
                a = a * (j - 1) / (b * j) + s;
            }
            q = n % 2 == 0 ? 1.0 - a / std::sqrt(b) : 1.0 - (a / b + std::atan(s)) * kTwoOverPi;
        }
    }
    return t <= 0.0 ? q / 2.0 : 1.0 - q / 2.0;
}

} // namespace numerics
