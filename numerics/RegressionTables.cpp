#include "numerics/RegressionTables.h"

#include "numerics/ArgumentChecks.h"
#include "numerics/ErrorReporting.h"
#include "numerics/MachineConstants.h"
#include "numerics/MatrixPrinter.h"
#include "numerics/PrintOptions.h"
#include "numerics/SpecialFunctions.h"

#include <cmath>
#include <string>
#include <vector>

namespace numerics {

namespace {

// Set while tables are made for a caller that reads no p-value (DRCURV): the F and t
// statistics are still formed, their p-values, the costly part, are left NaN.
bool g_withoutPValues = false;

double tableQuotient(double x, double y)
{
    double r = 0.0;
    SAFEDV(x, y, r);
    return r;
}

// The printed form of the tables, one matrix printout each.
void printTables(std::int32_t m, std::int32_t lof, const double* aov, const double* sqss,
                 std::int32_t ldsqss, const double* coef, std::int32_t ldcoef, const double* tlof,
                 std::int32_t ldtlof)
{
    const std::vector<std::string> noLabels = {"NONE"};
    const std::vector<std::string> numbered = {"NUMBER"};

    // The summary line; the mean and the coefficient of variation only when they exist.
    const bool shortSummary = std::isnan(aov[13]) && std::isnan(aov[14]);
    const std::vector<std::string> summaryHeadings = {" ",
                                                      "R-squared%/(percent)",
                                                      "Adjusted%/R-squared",
                                                      "Est. Std. Dev.%/of Model Error",
                                                      "%/Mean",
                                                      "Coefficient of%/Var. (percent)"};
    DW2RRL("%/", 1, shortSummary ? 3 : 5, aov + 10, 1, 0,
           shortSummary ? "(2F8.3,W10.4)" : "(2F8.3,3W10.4)", noLabels, summaryHeadings, {});
    if (failed()) {
        return;
    }

    const double nan = DMACH(6);
    // Rows regression, residual, corrected total; columns DF, SS, MS, F, p.
    const double table[15] = {aov[0], aov[1], aov[2], aov[3], aov[4], aov[5], aov[6], aov[7],
                              nan,    aov[8], nan,    nan,    aov[9], nan,    nan};
    std::int32_t blankNaN = 3;
    WROPT(-4, blankNaN, 0);
    const std::vector<std::string> sources = {"Regression", "Residual", "Corrected Total"};
    const std::vector<std::string> aovHeadings = {
        "%/Source", "%/DF", "Sum of%/Squares", "Mean%/Square", "%/Overall F", "Prob. of%/Larger F"};
    DW2RRL("%/* * * Analysis of Variance * * *", 3, 5, table, 3, 0, "(W7.1,2W10.4,F9.3,F7.4)",
           sources, aovHeadings, {});
    if (failed()) {
        return;
    }

    const char* const format = "(2W10.4,F9.3,F7.4)";
    const std::vector<std::string> coefHeadings = {"%/Coef.", "%/Estimate", "Standard%/Error",
                                                   "%/t-statistic", "Prob. of%/Larger |t|"};
    DW2RRL("%/* * * Inference on Coefficients * * *", m + 1, 4, coef, ldcoef, 0, format, numbered,
           coefHeadings, {});
    if (failed() || m <= 0) {
        return;
    }
    const std::vector<std::string> degreeHeadings = {"Degree of%/Polynomial", "Degrees of%/Freedom",
                                                     "Sum of%/Squares", "%/F-statistic",
                                                     "Prob. of%/Larger F"};
    DW2RRL("%/* * * Sequential Statistics * * *", m, 4, sqss, ldsqss, 0, format, numbered,
           degreeHeadings, {});
    if (failed() || lof != 1) {
        return;
    }
    DW2RRL("%/* * * Tests of Lack of Fit * * *", m, 4, tlof, ldtlof, 0, format, numbered,
           degreeHeadings, {});
}

} // namespace

double DSUM(std::int32_t n, const double* x, std::int32_t incx)
{
    double sum = 0.0;
    for (std::int64_t i = 0; i < n; ++i) {
        sum += x[i * incx];
    }
    return sum;
}

void CHKNNG(double x, std::string_view name, std::int32_t& code)
{
    if (!(x >= 0.0) || std::isinf(x)) {
        E1VALL(1, name);
        E1VALD(1, x);
        E1MES(kTerminal, code, "%(L1) = %(d1).  %(L1) must be greater than or equal to zero.");
    }
    ++code;
}

void B1PRCK(std::int32_t value, std::string_view name, std::int32_t low, std::int32_t bound,
            std::string_view boundName, std::int32_t& code)
{
    const bool starred = !name.empty() && name.front() == '*';
    const std::string_view plain = starred ? name.substr(1) : name;
    if (starred) {
        ++code;
    } else {
        CHKRNG(value, plain, low, low - 1, code);
    }
    CHKRNG(bound, boundName, 1, 0, code);
    if (bound >= 1) {
        CHKLEQ(value, plain, bound, boundName, code);
    } else {
        ++code;
    }
}

void DC1F(double numerator, double denominator, double dfn, double dfd, double& f, double& p)
{
    f = tableQuotient(numerator, denominator);
    if (g_withoutPValues || std::isnan(f) || !(dfn > 0.0) || !(dfd > 0.0)) {
        p = DMACH(6);
    } else if (f == DMACH(7)) {
        p = 0.0;
    } else {
        p = 1.0 - DFDF(f, dfn, dfd);
    }
}

void DC1T(double estimate, double stderror, double df, double& t, double& p)
{
    t = tableQuotient(estimate, stderror);
    if (g_withoutPValues || std::isnan(t) || df == 0.0) {
        p = DMACH(6);
    } else if (std::isinf(t)) {
        p = 0.0;
    } else {
        p = 2.0 * (1.0 - DTDF(std::fabs(t), df));
    }
}

void AOVTBL(double dfr, double ssr, double dfe, double sse, double* aov)
{
    aov[0] = dfr;
    aov[1] = dfe;
    aov[2] = dfr + dfe;
    aov[3] = ssr;
    aov[4] = sse;
    aov[5] = ssr + sse;
    aov[6] = tableQuotient(ssr, dfr);
    aov[7] = tableQuotient(sse, dfe);
    DC1F(aov[6], aov[7], dfr, dfe, aov[8], aov[9]);
}

void DG1AOV(double dfr, double ssr, double dfe, double sse, double mean, double* aov)
{
    RoutineScope scope("dG1AOV");
    std::int32_t code = 1;
    CHKNNG(dfr, "DFR", code);
    CHKNNG(ssr, "SSR", code);
    CHKNNG(dfe, "DFE", code);
    CHKNNG(sse, "SSE", code);
    if (N1RTY(0) != 0) {
        return;
    }
    AOVTBL(dfr, ssr, dfe, sse, aov);
    aov[10] = tableQuotient(100.0 * ssr, aov[5]);
    const double ratio = tableQuotient(aov[7], tableQuotient(aov[5], aov[2]));
    if (std::isnan(ratio)) {
        aov[11] = ratio;
    } else {
        aov[11] = ratio <= 1.0 ? (1.0 - ratio) * 100.0 : 0.0;
    }
    if (!std::isnan(aov[7])) {
        aov[12] = std::sqrt(aov[7]);
        aov[14] = tableQuotient(100.0 * std::sqrt(aov[7]), mean);
    } else {
        aov[12] = DMACH(6);
        aov[14] = DMACH(6);
    }
    aov[13] = mean;
}

void DRCOEF(std::int32_t ncoef, const double* estimates, const double* stderrs, double dfe,
            double* coef, std::int32_t ldcoef)
{
    RoutineScope scope("dRCOEF");
    std::int32_t code = 1;
    B1PRCK(ncoef, "NCOEF", 1, ldcoef, "LDCOEF", code);
    if (!(dfe >= 0.0) || std::isinf(dfe)) {
        E1VALD(1, dfe);
        E1MES(kTerminal, code, "DFE = %(d1).  It must be nonnegative.");
    }
    ++code;
    for (std::int32_t i = 0; i < ncoef && N1RTY(0) == 0; ++i) {
        if (!std::isnan(stderrs[i]) && stderrs[i] < 0.0) {
            E1VALI(1, i + 1);
            E1VALD(1, stderrs[i]);
            E1MES(kTerminal, code, "STDB(%(I1)) = %(d1).  It must be nonnegative.");
        }
    }
    if (N1RTY(0) != 0) {
        return;
    }
    const std::int64_t ld = ldcoef;
    for (std::int32_t i = 0; i < ncoef; ++i) {
        coef[i] = estimates[i];
        coef[ld + i] = stderrs[i];
        DC1T(estimates[i], stderrs[i], dfe, coef[2 * ld + i], coef[3 * ld + i]);
    }
}

void DR2TAP(std::int32_t ndeg, const double* a, const double* b, double umult, double uadd,
            const double* scoef, const double* d, double dfe, double sse, std::int32_t lof,
            double dfpe, double sspe, std::int32_t iprint, double* aov, double* sqss,
            std::int32_t ldsqss, double* coef, std::int32_t ldcoef, double* tlof,
            std::int32_t ldtlof)
{
    RoutineScope scope("dR2TAP");
    if (ndeg < 0) {
        E1VALI(1, ndeg);
        E1MES(kTerminal, 1,
              "NDEG = %(I1).  The degree of the polynomial regression, NDEG, must be greater "
              "than or equal to 0.");
    }
    for (std::int32_t i = 0; i <= ndeg; ++i) {
        if (!(d[i] > 0.0) || std::isinf(d[i])) {
            E1VALI(1, i + 1);
            E1VALD(1, d[i]);
            E1MES(kTerminal, 2,
                  "D(%(I1)) = %(d1).  Each element of D, the vector containing the diagonal "
                  "elements of the sum of squares and cross-products matrix, must be positive.");
        }
    }
    // A NaN or an infinity here would only fail later, in a routine the caller never
    // named; it is refused with the argument's own message.
    if (!(dfe >= 0.0) || std::isinf(dfe)) {
        E1VALD(1, dfe);
        E1MES(kTerminal, 3,
              "DFE = %(d1).  The degrees of freedom for error, DFE, must be greater than or "
              "equal to 0.");
    }
    if (!(sse >= 0.0) || std::isinf(sse)) {
        E1VALD(1, sse);
        E1MES(kTerminal, 4,
              "SSE = %(d1).  The sum of squares for error, SSE, must be greater than or equal "
              "to 0.");
    }
    if (lof != 0 && lof != 1) {
        E1VALI(1, lof);
        E1MES(kTerminal, 5,
              "LOF = %(I1).  The lack of fit test option, LOF, must be either 0 or 1.");
    }
    if (lof == 1 && (!(dfpe >= 0.0) || std::isinf(dfpe))) {
        E1VALD(1, dfpe);
        E1MES(kTerminal, 6,
              "DFPE = %(d1).  The degrees of freedom for pure error, DFPE, must be greater than "
              "or equal to 0.");
    }
    if (lof == 1 && (!(sspe >= 0.0) || std::isinf(sspe))) {
        E1VALD(1, sspe);
        E1MES(kTerminal, 7,
              "SSPE = %(d1).  The sums of squares for pure error, SSPE, must be greater than or "
              "equal to 0.");
    }
    if (iprint != 0 && iprint != 1) {
        E1VALI(1, iprint);
        E1MES(kTerminal, 8,
              "IPRINT = %(I1).  The printing option, IPRINT, must be equal to either 0 or 1.");
    }
    if (ndeg > 0 && ldsqss < ndeg) {
        E1VALI(1, ndeg);
        E1VALI(2, ldsqss);
        E1MES(kTerminal, 9,
              "NDEG = %(I1) and LDSQSS = %(I2).  The leading dimension of SQSS, LDSQSS, must be "
              "greater than or equal to the degree of the polynomial regression, NDEG.");
    }
    if (ndeg > 0 && lof == 1 && ldtlof < ndeg) {
        E1VALI(1, ndeg);
        E1VALI(2, ldtlof);
        E1MES(kTerminal, 11,
              "NDEG = %(I1) and LDTLOF = %(I2).  The leading dimension of TLOF, LDTLOF, must be "
              "greater than or equal to the degree of the polynomial regression, NDEG.");
    }
    if (ldcoef < ndeg + 1) {
        E1VALI(1, ndeg);
        E1VALI(2, ldcoef);
        E1MES(kTerminal, 10,
              "NDEG = %(I1) and LDCOEF = %(I2).  The leading dimension of COEF, LDCOEF, must be "
              "greater than or equal to 1 plus the degree of the polynomial regression, NDEG.");
    }
    if (N1RTY(0) != 0) {
        return;
    }

    // The computing part of the tables.
    RoutineScope compute("dR3TAP");
    const std::int32_t m = ndeg;
    const auto M = static_cast<std::size_t>(m + 1);
    const std::int64_t lsq = ldsqss;
    const std::int64_t lco = ldcoef;
    const std::int64_t llf = ldtlof;
    for (std::int32_t k = 1; k <= m; ++k) {
        sqss[lsq + k - 1] = scoef[k] * scoef[k] * d[k];
    }
    const double ssr = m > 0 ? DSUM(m, sqss + lsq, 1) : 0.0;
    DG1AOV(m, ssr, dfe, sse, scoef[0], aov);
    if (failed()) {
        return;
    }

    // p[j][i]: coefficient of u^i in the orthogonal polynomial p(j).
    std::vector<std::vector<double>> p(M, std::vector<double>(M, 0.0));
    p[0][0] = 1.0;
    for (std::int32_t j = 1; j <= m; ++j) {
        const auto jj = static_cast<std::size_t>(j);
        for (std::size_t i = 0; i <= jj; ++i) {
            double v = (i >= 1 ? p[jj - 1][i - 1] : 0.0) - a[j - 1] * (i < jj ? p[jj - 1][i] : 0.0);
            if (j >= 2 && i + 1 < jj) {
                v -= b[j - 1] * p[jj - 2][i];
            }
            p[jj][i] = v;
        }
    }
    // The map from powers of u to powers of x: u^k = sum_i C(k, i) umult^i uadd^(k - i) x^i.
    std::vector<std::vector<double>> t(M, std::vector<double>(M, 0.0));
    for (std::size_t k = 0; k < M; ++k) {
        double binomial = 1.0;
        for (std::size_t i = 0; i <= k; ++i) {
            if (i > 0) {
                binomial = binomial * static_cast<double>(k - i + 1) / static_cast<double>(i);
            }
            t[i][k] = binomial * std::pow(umult, static_cast<double>(i)) *
                      std::pow(uadd, static_cast<double>(k - i));
        }
    }
    // K = T P: the power coefficient i from the orthogonal coefficient j.
    std::vector<std::vector<double>> kmap(M, std::vector<double>(M, 0.0));
    for (std::size_t i = 0; i < M; ++i) {
        for (std::size_t j = 0; j < M; ++j) {
            double v = 0.0;
            for (std::size_t k = i; k <= j; ++k) {
                v += t[i][k] * p[j][k];
            }
            kmap[i][j] = v;
        }
    }
    std::vector<double> estimates(M, 0.0);
    std::vector<double> stderrs(M, 0.0);
    const double s2 = tableQuotient(sse, dfe);
    for (std::size_t i = 0; i < M; ++i) {
        double v = 0.0;
        double variance = 0.0;
        for (std::size_t j = i; j < M; ++j) {
            v += kmap[i][j] * scoef[j];
            variance += kmap[i][j] * kmap[i][j] * s2 / d[j];
        }
        estimates[i] = v;
        stderrs[i] = std::isnan(s2) ? DMACH(6) : (variance > 0.0 ? std::sqrt(variance) : 0.0);
    }
    if (std::isnan(s2)) {
        for (std::size_t i = 0; i < M; ++i) {
            coef[i] = estimates[i];
            for (int c = 1; c <= 3; ++c) {
                coef[c * lco + static_cast<std::int64_t>(i)] = DMACH(6);
            }
        }
    } else {
        DRCOEF(m + 1, estimates.data(), stderrs.data(), dfe, coef, ldcoef);
        if (failed()) {
            return;
        }
    }
    if (m > 0) {
        const double mse = tableQuotient(sse, dfe);
        for (std::int32_t k = 0; k < m; ++k) {
            sqss[k] = 1.0;
            DC1F(sqss[lsq + k] / sqss[k], mse, sqss[k], dfe, sqss[2 * lsq + k], sqss[3 * lsq + k]);
        }
    }
    if (lof == 1 && m > 0) {
        tlof[m - 1] = dfe - dfpe;
        tlof[llf + m - 1] = sse - sspe;
        for (std::int32_t k = m - 2; k >= 0; --k) {
            tlof[k] = tlof[k + 1] + 1.0;
            tlof[llf + k] = tlof[llf + k + 1] + sqss[lsq + k + 1];
        }
        const double mspe = tableQuotient(sspe, dfpe);
        for (std::int32_t k = 0; k < m; ++k) {
            DC1F(tlof[llf + k] / tlof[k], mspe, tlof[k], dfpe, tlof[2 * llf + k],
                 tlof[3 * llf + k]);
        }
    }
    if (iprint == 1) {
        printTables(m, lof, aov, sqss, ldsqss, coef, ldcoef, tlof, ldtlof);
    }
}

void regressionTablesWithoutPValues(std::int32_t ndeg, const double* a, const double* b,
                                    double umult, double uadd, const double* scoef, const double* d,
                                    double dfe, double sse, double* aov, double* sqss,
                                    std::int32_t ldsqss, double* coef, std::int32_t ldcoef)
{
    struct Scope
    {
        Scope() { g_withoutPValues = true; }
        ~Scope() { g_withoutPValues = false; }
    } scope;
    double tlof[1] = {0.0};
    DR2TAP(ndeg, a, b, umult, uadd, scoef, d, dfe, sse, 0, 0.0, 0.0, 0, aov, sqss, ldsqss, coef,
           ldcoef, tlof, 1);
}

} // namespace numerics
