#include "numerics/PolynomialRegression.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"
#include "numerics/RegressionTables.h"
#include "numerics/Sorting.h"
#include "numerics/SpecialFunctions.h"
#include "numerics/Workspace.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace numerics {

namespace {

double regressionQuotient(double x, double y)
{
    double r = 0.0;
    SAFEDV(x, y, r);
    return r;
}

// Work columns of the fit, kept from call to call: the regression of a spectrum runs
// again and again at one length, and columns allocated and freed each time made the
// allocator hand its memory back to the system and fault it in again on every call,
// which cost more than a low-degree fit. The library runs on one thread.
struct FitColumns
{
    std::vector<double> xs, ys, ws, fs, sorted, y, w, f, pm2, pm1, pj, sqrtW;
    std::vector<std::int32_t> perm;
    std::vector<std::size_t> groupStart;
};

FitColumns& fitColumns()
{
    static FitColumns columns;
    return columns;
}

// The result of the orthogonal-polynomial fit.
struct OrthogonalFit
{
    std::int32_t m = 0;
    double umult = 0.0;
    double uadd = 0.0;
    double dfe = 0.0;
    double sse = 0.0;
    double dfpe = 0.0;
    double sspe = 0.0;
};

// The recurrence on k valid rows sorted by x, with the stopping rule and the messages.
void DR3ORP(std::int32_t k, std::vector<double>& x, const std::vector<double>& y,
            const std::vector<double>& w, const std::vector<double>& f, std::int32_t maxdeg,
            std::int32_t icrit, double crit, std::int32_t lof, double* a, double* b, double* scoef,
            double* d, OrthogonalFit& fit)
{
    RoutineScope scope("dR3ORP");
    if (N1RCD(0) != 0) {
        return;
    }
    const auto n = static_cast<std::size_t>(k);
    std::size_t imax = 0;
    std::size_t imin = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (x[i] > x[imax]) {
            imax = i;
        }
        if (x[i] < x[imin]) {
            imin = i;
        }
    }
    if (imax == imin) {
        E1MES(kFatal, 7,
              "Each value of the independent variable is the same.  The independent variable, "
              "X(*,IND), cannot be constant.");
        return;
    }
    bool yConstant = true;
    for (std::size_t i = 1; i < n; ++i) {
        if (y[i] != y[i - 1]) {
            yConstant = false;
        }
    }
    // Groups of equal x.
    std::vector<std::size_t>& groupStart = fitColumns().groupStart;
    groupStart.assign(1, 0);
    for (std::size_t i = 1; i < n; ++i) {
        if (x[i] != x[i - 1]) {
            groupStart.push_back(i);
        }
    }
    groupStart.push_back(n);
    const auto ndist = static_cast<std::int32_t>(groupStart.size() - 1);
    const double neff = DSUM(k, f.data(), 1);
    const double critFraction = icrit != 0 ? crit / 100.0 : 1.0;
    bool lackOfFit = lof == 1;
    if (lof == 1) {
        double sspe = 0.0;
        for (std::size_t g = 0; g + 1 < groupStart.size(); ++g) {
            double sw = 0.0;
            double swy = 0.0;
            for (std::size_t i = groupStart[g]; i < groupStart[g + 1]; ++i) {
                sw += w[i];
                swy += w[i] * y[i];
            }
            const double mean = regressionQuotient(swy, sw);
            for (std::size_t i = groupStart[g]; i < groupStart[g + 1]; ++i) {
                if (w[i] != 0.0) {
                    sspe += w[i] * (y[i] - mean) * (y[i] - mean);
                }
            }
        }
        fit.sspe = sspe;
        fit.dfpe = neff - ndist;
        if (fit.dfpe == 0.0) {
            lackOfFit = false;
        }
    }
    const double mid = (x[imax] + x[imin]) * 0.5;
    const double scale = 4.0 / (x[imax] - x[imin]);
    for (double& v : x) {
        v = (v - mid) * scale;
    }
    fit.umult = scale;
    fit.uadd = -scale * mid;

    FitColumns& columns = fitColumns();
    std::vector<double>& pm2 = columns.pm2;
    std::vector<double>& pm1 = columns.pm1;
    std::vector<double>& pj = columns.pj;
    std::vector<double>& sqrtW = columns.sqrtW;
    pm2.assign(n, 0.0);
    pm1.assign(n, 1.0);
    pj.assign(n, 0.0);
    sqrtW.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        sqrtW[i] = std::sqrt(w[i]);
    }
    std::fill(scoef, scoef + maxdeg + 1, 0.0);
    double sst = 0.0;
    double num = 0.0;
    double norm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        sst += w[i] * y[i] * y[i];
        num += w[i] * y[i];
        norm += w[i];
    }
    d[0] = norm;
    scoef[0] = num / norm;
    double ssreg = 0.0;
    double sstot = 0.0;
    double tol = 0.0;
    std::int32_t m = 0;
    const std::int32_t nLoop = std::min(maxdeg + 1, ndist);
    const double eps = DMACH(4);
    for (std::int32_t j = 1; j <= nLoop; ++j) {
        const double explained = num * num / norm;
        sst -= explained;
        if (!(sst > 0.0)) {
            sst = 0.0;
        }
        if (j == 1) {
            sstot = yConstant ? 0.0 : sst;
            tol = (1.0 - 10.0 * eps) * sstot;
        } else {
            ssreg = std::min(ssreg + explained, sstot);
        }
        double pLof = 1.0;
        if (lackOfFit && j > 1) {
            if (j < ndist) {
                const double sslof = std::max(0.0, sstot - ssreg - fit.sspe);
                const double mslof = sslof / (ndist - j);
                const double mspe = regressionQuotient(fit.sspe, fit.dfpe);
                double fstat = 0.0;
                DC1F(mslof, mspe, ndist - j, fit.dfpe, fstat, pLof);
            }
        }
        if (j == 1) {
            if (sstot <= 0.0) {
                break;
            }
        } else if (lackOfFit && icrit == 2) {
            if (pLof > critFraction) {
                break;
            }
        } else if (ssreg >= sstot * critFraction || ssreg >= tol) {
            break;
        }
        if (j == nLoop) {
            break;
        }
        m = j;
        double alphaNum = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            alphaNum += w[i] * x[i] * pm1[i] * pm1[i];
        }
        const double alpha = alphaNum / norm;
        const double beta = j > 1 ? norm / d[j - 2] : 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            pj[i] = (x[i] - alpha) * pm1[i] - beta * pm2[i];
        }
        a[j - 1] = alpha;
        b[j - 1] = beta;
        num = 0.0;
        norm = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double wp = sqrtW[i] * pj[i];
            num += sqrtW[i] * (y[i] - pm1[i]) * wp;
            norm += wp * wp;
        }
        d[j] = norm;
        scoef[j] = num / norm;
        std::swap(pm2, pm1);
        std::swap(pm1, pj);
    }
    fit.m = m;
    fit.sse = sst;
    fit.dfe = neff - (m + 1);
    if (fit.dfe == 0.0) {
        fit.sse = 0.0;
    }
    if (fit.sse == 0.0 || ssreg >= tol) {
        E1VALI(1, m);
        E1MES(kImmediateWarning, 11,
              "The degree %(I1) polynomial fit is a perfect fit within machine precision.");
    }
    if (sstot > 0.0) {
        if (ndist - 1 == m && m < maxdeg) {
            E1VALI(1, m);
            E1VALI(2, ndist);
            E1MES(kWarning, 5,
                  "A degree %(I1) polynomial is fitted.  There are only %(I2) distinct abscissas, "
                  "so a higher degree polynomial fit cannot be computed.");
        } else if (icrit == 0 && ssreg >= tol && m < maxdeg) {
            E1VALI(1, maxdeg);
            E1VALI(2, m);
            E1MES(kWarning, 6,
                  "Although a degree %(I1) fit was requested, a degree %(I2) polynomial is "
                  "fitted because the degree %(I2) polynomial fit is a perfect fit within machine "
                  "precision.");
        }
    } else {
        E1MES(kWarning, 4,
              "The response variable, X(*,IRSP), is constant.  A zero degree polynomial is fit.");
        fit.sse = 0.0;
        if (lof == 1) {
            fit.sspe = 0.0;
        }
    }
}

void DR4ORP(std::int32_t nobs, const double* x, std::int32_t ldx, std::int32_t irsp,
            std::int32_t ind, std::int32_t ifrq, std::int32_t iwt, std::int32_t maxdeg,
            std::int32_t icrit, double crit, std::int32_t lof, double* a, double* b, double* scoef,
            double* d, OrthogonalFit& fit, std::int32_t& nrmiss)
{
    RoutineScope scope("dR4ORP");
    const std::int64_t ld = ldx;
    FitColumns& columns = fitColumns();
    std::vector<double>& xs = columns.xs;
    std::vector<double>& ys = columns.ys;
    std::vector<double>& ws = columns.ws;
    std::vector<double>& fs = columns.fs;
    for (std::vector<double>* v : {&xs, &ys, &ws, &fs}) {
        v->clear();
        v->reserve(static_cast<std::size_t>(nobs));
    }
    nrmiss = 0;
    for (std::int32_t i = 0; i < nobs; ++i) {
        const double xi = x[(ind - 1) * ld + i];
        const double yi = x[(irsp - 1) * ld + i];
        // An infinity is a missing value as a NaN is: it has no place in a sum of squares.
        if (!std::isfinite(xi) || !std::isfinite(yi)) {
            ++nrmiss;
            continue;
        }
        double f = 1.0;
        double w = 1.0;
        std::int32_t status = 0;
        DC1WFR(x, ldx, i, ifrq, iwt, f, w, status);
        if (status == 3) {
            return;
        }
        if (status == 2) {
            ++nrmiss;
            continue;
        }
        xs.push_back(xi);
        ys.push_back(yi);
        ws.push_back(w);
        fs.push_back(f);
    }
    if (xs.empty()) {
        E1MES(kFatal, 3,
              "Each row of X contains a missing value in either the IRSP, IFRQ, IND, or IWT "
              "column.");
        return;
    }
    const auto k = static_cast<std::int32_t>(xs.size());
    std::vector<double>& sorted = columns.sorted;
    std::vector<std::int32_t>& perm = columns.perm;
    sorted.resize(xs.size());
    perm.resize(xs.size());
    std::iota(perm.begin(), perm.end(), 1);
    // Spectra come sorted; the order within ties does not matter to the fit.
    if (std::is_sorted(xs.begin(), xs.end())) {
        sorted = xs;
    } else {
        DSVRGP(k, xs.data(), sorted.data(), perm.data());
    }
    std::vector<double>& y = columns.y;
    std::vector<double>& w = columns.w;
    std::vector<double>& f = columns.f;
    y.resize(xs.size());
    w.resize(xs.size());
    f.resize(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        const auto from = static_cast<std::size_t>(perm[i] - 1);
        y[i] = ys[from];
        f[i] = fs[from];
        w[i] = f[i] * ws[from];
    }
    DR3ORP(k, sorted, y, w, f, maxdeg, icrit, crit, lof, a, b, scoef, d, fit);
}

} // namespace

void DC1WFR(const double* x, std::int32_t ldx, std::int32_t irow, std::int32_t ifrq,
            std::int32_t iwt, double& f, double& w, std::int32_t& status)
{
    const std::int64_t ld = ldx;
    status = 0;
    f = 1.0;
    w = 1.0;
    if (ifrq > 0) {
        f = x[(ifrq - 1) * ld + irow];
        if (f == 0.0) {
            status = 1;
            w = 1.0;
            return;
        }
        if (!std::isfinite(f)) {
            status = 2;
        }
    }
    if (iwt > 0) {
        w = x[(iwt - 1) * ld + irow];
        if (!std::isfinite(w)) {
            status = 2;
        }
    }
    if (status == 2) {
        return;
    }
    if (ifrq < 1) {
        f = 1.0;
    } else if (f < 0.0) {
        E1VALI(1, irow + 1);
        E1VALD(1, f);
        E1MES(kFatal, 2,
              "The frequency for row %(I1) of X is %(d1).  Frequencies must be nonnegative.");
        status = 3;
        return;
    }
    if (iwt < 1) {
        w = 1.0;
    } else if (w < 0.0) {
        E1VALI(1, irow + 1);
        E1VALD(1, w);
        E1MES(kFatal, 1, "The weight for row %(I1) of X was %(d1).  Weights must be nonnegative.");
        status = 3;
    }
}

void DR2ORP(std::int32_t nobs, std::int32_t ncol, const double* x, std::int32_t ldx,
            std::int32_t irsp, std::int32_t ind, std::int32_t ifrq, std::int32_t iwt,
            std::int32_t maxdeg, std::int32_t icrit, double crit, std::int32_t lof,
            std::int32_t& ndeg, double& umult, double& uadd, double* a, double* b, double* scoef,
            double* d, double& dfe, double& sse, double& dfpe, double& sspe, std::int32_t& nrmiss)
{
    RoutineScope scope("dR2ORP");
    if (nobs < 2) {
        E1VALI(1, nobs);
        E1MES(kTerminal, 1,
              "NOBS = %(I1).  The number of observations, NOBS, must be greater than 1.");
    } else if (ldx < nobs) {
        E1VALI(1, nobs);
        E1VALI(2, ldx);
        E1MES(kTerminal, 3,
              "NOBS = %(I1) and LDX = %(I2).  The leading dimension of X, LDX, must be greater "
              "than or equal to the number of observations, NOBS.");
    }
    if (ncol < 1) {
        E1VALI(1, ncol);
        E1MES(kTerminal, 2,
              "NCOL = %(I1).  The number of columns in X, NCOL, must be greater than or equal to "
              "1.");
    }
    std::int32_t code = 10;
    CHKLIM(1, irsp, "IRSP", ncol, "NCOL", code);
    CHKLIM(1, ind, "IND", ncol, "NCOL", code);
    CHKLIM(0, ifrq, "IFRQ", ncol, "NCOL", code);
    CHKLIM(0, iwt, "IWT", ncol, "NCOL", code);
    if (maxdeg < 0) {
        E1VALI(1, maxdeg);
        E1MES(kTerminal, 4,
              "MAXDEG = %(I1).  The maximum degree of the polynomial to be fit, MAXDEG, must be "
              "greater than or equal to 0.");
    }
    if (icrit < 0 || icrit > 2) {
        E1VALI(1, icrit);
        E1MES(kTerminal, 5,
              "ICRIT = %(I1).  The criterion option, ICRIT, must be either 0, 1, or 2.");
    }
    if (lof != 0 && lof != 1) {
        E1VALI(1, lof);
        E1MES(kTerminal, 6, "LOF = %(I1).  The lack of fit option, LOF, must be either 0 or 1.");
    }
    if (icrit == 2 && lof != 1) {
        E1VALI(1, icrit);
        E1VALI(2, lof);
        E1MES(kTerminal, 7,
              "ICRIT = %(I1) and LOF = %(I2).  When the criterion option, ICRIT, equals 2, the "
              "lack of fit option, LOF, must be equal to 1.");
    }
    if (icrit == 2 && (crit < 0.0 || crit > 100.0)) {
        E1VALD(1, crit);
        E1VALI(1, icrit);
        E1MES(kTerminal, 8,
              "CRIT = %(d1) when ICRIT = %(I1).  The significance level for the lack of fit "
              "test, CRIT, must be greater than or equal to 0 and less than or equal to 100 when "
              "the criterion option, ICRIT, is equal  to 2.");
    }
    if (icrit == 1 && (crit <= 0.0 || crit > 100.0)) {
        E1VALD(1, crit);
        E1VALI(1, icrit);
        E1MES(kTerminal, 9,
              "CRIT = %(d1) when ICRIT = %(I1).  The R-squared that the fitted polynomial must "
              "achieve, CRIT, must be greater than 0 and less than or equal to 100 when the "
              "criterion option, ICRIT, is equal to 1.");
    }
    if (N1RCD(0) != 0) {
        return;
    }
    OrthogonalFit fit;
    DR4ORP(nobs, x, ldx, irsp, ind, ifrq, iwt, maxdeg, icrit, crit, lof, a, b, scoef, d, fit,
           nrmiss);
    ndeg = fit.m;
    umult = fit.umult;
    uadd = fit.uadd;
    dfe = fit.dfe;
    sse = fit.sse;
    dfpe = fit.dfpe;
    sspe = fit.sspe;
}

void DRCURV(std::int32_t nobs, const double* xdata, const double* ydata, std::int32_t ndeg,
            double* b, double* sspoly, double* stat)
{
    RoutineScope scope("dRCURV ");
    if (nobs < 1) {
        E1VALI(1, nobs);
        E1MES(kTerminal, 1,
              "The number of observations must be at least 1 while NOBS = %(I1) is given.");
        return;
    }
    if (ndeg < 0) {
        E1VALI(1, ndeg);
        E1MES(kTerminal, 2,
              "NDEG = %(I1).  The degree of the polynomial to be fit must be greater than or "
              "equal to 0.");
        return;
    }
    // Sizes in 64 bits: (ndeg + 1)(ndeg + 3) overflows 32 bits for high degrees.
    const std::int64_t n = nobs;
    const std::int64_t g = ndeg;
    const std::int64_t doubles = 11 * n + 11 * g + 5 + (g + 1) * (g + 3);
    WorkspaceArray<double> wk(static_cast<std::size_t>(doubles));
    WorkspaceArray<std::int32_t> iwk(static_cast<std::size_t>(n));
    if (!wk || !iwk) {
        E1MES(kTerminal, 3, " ");
        E1VALI(1, nobs);
        E1VALI(2, ndeg);
        E1MES(kTerminal, 3,
              "The required storage cannot be allocated based on NOBS = %(I1) and NDEG = %(I2).");
        return;
    }

    RoutineScope fitScope("dR2URV ");
    // The data matrix (x, y) and the recurrence in the workspace.
    double* data = wk.data();
    std::copy(xdata, xdata + n, data);
    std::copy(ydata, ydata + n, data + n);
    double* a = data + 2 * n;
    double* rb = a + g;
    double* scoef = rb + g;
    std::int32_t m = 0;
    double umult = 0.0;
    double uadd = 0.0;
    double dfe = 0.0;
    double sse = 0.0;
    double dfpe = 0.0;
    double sspe = 0.0;
    std::int32_t nrmiss = 0;
    std::vector<double> d(static_cast<std::size_t>(g + 1), 0.0);
    DR2ORP(nobs, 2, data, nobs, 2, 1, 0, 0, ndeg, 0, 0.0, 0, m, umult, uadd, a, rb, scoef, d.data(),
           dfe, sse, dfpe, sspe, nrmiss);
    const std::int32_t t = N1RTY(1);
    const std::int32_t k = N1RCD(1);
    if (t == kTerminal) {
        return;
    }
    if (t == kFatal && (k == 1 || k == 2)) {
        E1MES(0, 0, " ");
    } else if (t == kFatal && k == 3) {
        E1MES(kFatal, 3,
              "There are no valid data points.  Each (x,y) pair contains NaN (not a number).");
        return;
    } else if (t == kFatal && k == 7) {
        E1MES(kFatal, 7, "The x values are constant.  At least two distinct x values are needed.");
        return;
    } else if (t == kWarning && (k == 1 || k == 3)) {
        E1MES(0, 0, " ");
    } else if (t == kWarning && k == 6) {
        E1VALI(1, ndeg);
        E1VALI(2, m);
        E1MES(kWarning, 6,
              "A perfect fit was obtained with a polynomial of lower degree (=%(I2)) than NDEG = "
              "%(I1) as requested.");
    } else if (t == kWarning && k == 4) {
        E1MES(kWarning, 4,
              "The y values are constant.  A zero order polynomial is fit.  High order "
              "coefficients are set to zero.");
    }
    if (t == kFatal) {
        return;
    }

    std::vector<double> aov(15);
    const std::int64_t ldsqss = std::max<std::int64_t>(g, 1);
    std::vector<double> sqss(static_cast<std::size_t>(4 * ldsqss), 0.0);
    std::vector<double> coef(static_cast<std::size_t>(4 * (g + 1)), 0.0);
    // DRCURV returns no p-value, so the tables are made without them.
    regressionTablesWithoutPValues(m, a, rb, umult, uadd, scoef, d.data(), dfe, sse, aov.data(),
                                   sqss.data(), static_cast<std::int32_t>(ldsqss), coef.data(),
                                   ndeg + 1);
    if (failed()) {
        return;
    }
    sspoly[0] = scoef[0] * scoef[0] * d[0];
    std::fill(sspoly + 1, sspoly + ndeg + 1, 0.0);
    for (std::int32_t j = 1; j <= m; ++j) {
        sspoly[j] = sqss[static_cast<std::size_t>(ldsqss + j - 1)];
    }
    std::fill(b, b + ndeg + 1, 0.0);
    for (std::int32_t j = 0; j <= m; ++j) {
        b[j] = coef[static_cast<std::size_t>(j)];
    }
    // The statistics, over the pairs without a NaN or an infinity.
    const double valid = static_cast<double>(nobs - nrmiss);
    double sumY = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
        if (std::isfinite(xdata[i]) && std::isfinite(ydata[i])) {
            sumY += ydata[i];
        }
    }
    const double nan = DMACH(6);
    if (m > 0) {
        stat[0] = regressionQuotient(a[0] - uadd, umult);
        double ss = 0.0;
        for (std::int64_t i = 0; i < n; ++i) {
            if (std::isfinite(xdata[i]) && std::isfinite(ydata[i])) {
                ss += (xdata[i] - stat[0]) * (xdata[i] - stat[0]);
            }
        }
        stat[2] = regressionQuotient(ss, valid - 1.0);
    } else {
        stat[0] = nan;
        stat[2] = nan;
    }
    stat[1] = sumY / ((valid - 1.0) + 1.0);
    stat[3] = regressionQuotient(aov[5], valid - 1.0);
    stat[4] = aov[10];
    stat[5] = aov[0];
    stat[6] = aov[3];
    stat[7] = aov[1];
    stat[8] = aov[4];
    stat[9] = nrmiss;
}

} // namespace numerics
