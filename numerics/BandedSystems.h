#pragma once

// Real banded linear systems with nlca lower and nuca upper codiagonals: LU factorisation
// with partial pivoting, a condition estimate, solves and iterative refinement.
//
// Band storage (column-major): element a(i, j) of A (1-based) is held in row
// nuca + 1 + i - j of column j, so a[(j - 1) * lda + nuca + i - j] with 0-based rows.
// The factor has leading dimension ldfac >= 2 * nlca + nuca + 1: U in its first
// nlca + nuca + 1 rows (diagonal in row nlca + nuca + 1), the multipliers of L below.
// ipath 1 solves A x = b, ipath 2 solves A-transposed x = b.
// Threads: see ErrorReporting.h.

#include <cstdint>

namespace numerics {

// Factor, estimate the condition and solve with refinement. fact holds
// (2 * nlca + nuca + 1 + extra rows) * n values, ipvt n, wk n.
void dL2ARB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            const double* b, std::int32_t ipath, double* x, double* fact, std::int32_t* ipvt,
            double* wk);

// LU factorisation into fact and ipvt with an estimate of the reciprocal L1 condition
// number; z (n) is work.
void dL2CRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            double* fact, std::int32_t ldfac, std::int32_t* ipvt, double& rcond, double* z);

// The factorisation step of dL2CRB (fact already holds A in its lower rows).
void dL2TRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            double* fact, std::int32_t ldfac, std::int32_t* ipvt);

// Largest column sum of magnitudes of the band matrix.
double dNR1RB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca,
              std::int32_t nuca);

// Solves with the factor; x may be b.
void dLFSRB(std::int32_t n, const double* fact, std::int32_t ldfac, std::int32_t nlca,
            std::int32_t nuca, const std::int32_t* ipvt, const double* b, std::int32_t ipath,
            double* x);

// Solves with iterative refinement; res (n) receives the last correction.
void dLFIRB(std::int32_t n, const double* a, std::int32_t lda, std::int32_t nlca, std::int32_t nuca,
            const double* fact, std::int32_t ldfac, const std::int32_t* ipvt, const double* b,
            std::int32_t ipath, double* x, double* res);

// s + sum of x(i) y(i), accumulated in double-double arithmetic.
double DDOTXP(std::int32_t n, double s, const double* x, std::int32_t incx, const double* y,
              std::int32_t incy);

// 1-based index of the first element of largest magnitude; 0 when n < 1.
std::int32_t IDAMAX(std::int32_t n, const double* x, std::int32_t incx);

} // namespace numerics

namespace numerics {

// Leading dimension of the factor that dL2ARB uses for this band (the integer options of
// the band solver may add rows).
std::int32_t bandFactorRows(std::int32_t nlca, std::int32_t nuca);

} // namespace numerics
