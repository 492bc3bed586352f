#pragma once

// B-splines: not-a-knot interpolation, the checks of knots against data, evaluation and
// conversion to the piecewise-polynomial form (break points and a column-major
// coefficient array of derivatives with leading dimension k).
// A B-spline of order k with ncoef coefficients has ncoef + k nondecreasing knots.
// Threads: see ErrorReporting.h.

#include <cstdint>
#include <string_view>

namespace numerics {

// The not-a-knot knot sequence (ndata + korder knots) for the data; xsrt (ndata) receives
// the sorted abscissae, iwk (ndata) is work.
void DB2NAK(std::int32_t ndata, const double* xdata, std::int32_t korder, double* xknot,
            double* xsrt, std::int32_t* iwk);

// The B-spline interpolant: bscoef (ndata) from the data and the knots; xsrt, fsrt (ndata)
// receive the sorted data, iwk (ndata) is work.
void DB2INT(std::int32_t ndata, const double* xdata, const double* fdata, std::int32_t korder,
            const double* xknot, double* bscoef, double* xsrt, double* fsrt, std::int32_t* iwk);

// Checks of the order and the knots.
void DB3INT(std::int32_t korder, const double* xknot, std::int32_t ndata);

// The checks of the sorted data against the knots (Schoenberg-Whitney conditions), with
// the direction letter and the name of the order for the messages.
void BSPLINE_DATA_CHECK(std::string_view direction, std::string_view orderName, std::int32_t ndata,
                        const double* xsrt, std::int32_t korder, const double* xknot);

// value[j] := the ideriv-th derivative at the strictly increasing points xvec[j]; iwk (n)
// receives the piece of each point (1-based).
void DB21GD(std::int32_t ideriv, std::int32_t n, const double* xvec, std::int32_t korder,
            const double* xknot, std::int32_t ncoef, const double* bscoef, double* value,
            std::int32_t* iwk);

// Conversion to the piecewise-polynomial form: brk (ncoef - korder + 2) and ppcoef
// (korder * (ncoef - korder + 1)); nppcf receives the number of pieces.
void DB2CPP(std::int32_t korder, const double* xknot, std::int32_t ncoef, const double* bscoef,
            std::int32_t& nppcf, double* brk, double* ppcoef);

// The conversion without checks.
void DB3CPP(std::int32_t korder, const double* xknot, std::int32_t ncoef, const double* bscoef,
            std::int32_t& nppcf, double* brk, double* ppcoef);

// The ideriv-th derivative at x of a piecewise polynomial of order korder.
double DPPDER(std::int32_t ideriv, double x, std::int32_t korder, std::int32_t nintv,
              const double* brk, const double* ppcoef);

} // namespace numerics
