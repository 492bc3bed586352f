#pragma once

// The few BLAS routines the numerical library uses, with the argument order and the
// column-major, 1-stride conventions of the classic interface. They forward to the C
// interface of the system BLAS (the Fortran symbols take hidden string-length arguments).

#include <cblas.h>

namespace numerics {

// y := x for n elements.
inline void DCOPY(int n, const double* x, int incx, double* y, int incy)
{
    if (n > 0) {
        cblas_dcopy(n, x, incx, y, incy);
    }
}

// Sum of x(i) y(i); 0 for n < 1.
inline double DDOT(int n, const double* x, int incx, const double* y, int incy)
{
    return n > 0 ? cblas_ddot(n, x, incx, y, incy) : 0.0;
}

// y := a x + y.
inline void DAXPY(int n, double a, const double* x, int incx, double* y, int incy)
{
    if (n > 0) {
        cblas_daxpy(n, a, x, incx, y, incy);
    }
}

// x := a x.
inline void DSCAL(int n, double a, double* x, int incx)
{
    if (n > 0) {
        cblas_dscal(n, a, x, incx);
    }
}

// Solves a banded triangular system in column-major band storage (leading dimension lda,
// k codiagonals). uplo 'U' or 'L', trans 'N' or 'T', diag 'N' or 'U'.
inline void DTBSV(char uplo, char trans, char diag, int n, int k, const double* a, int lda,
                  double* x, int incx)
{
    if (n < 1) {
        return;
    }
    cblas_dtbsv(CblasColMajor, (uplo == 'U' || uplo == 'u') ? CblasUpper : CblasLower,
                (trans == 'N' || trans == 'n') ? CblasNoTrans : CblasTrans,
                (diag == 'U' || diag == 'u') ? CblasUnit : CblasNonUnit, n, k, a, lda, x, incx);
}

} // namespace numerics
