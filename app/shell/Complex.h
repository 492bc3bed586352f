#pragma once

#include <string>

// A complex number in double precision, used by the reflectance-standard calculations.
// Binary operations return a new value; the functions change the object itself and
// return it. No operation checks its input: a zero divisor gives IEEE infinities or NaN.
// Any thread; an object is not shared between threads.
class CComplex
{
public:
    CComplex() = default;
    CComplex(double re, double im) : re(re), im(im) {}

    static CComplex Add(CComplex a, CComplex b);
    static CComplex Subtract(CComplex a, CComplex b);
    static CComplex Multiply(CComplex a, CComplex b);
    static CComplex Divide(CComplex a, CComplex b);

    CComplex& Assign(const CComplex& other);

    // "%.9g%+.9gi" of the two parts, kept in the object until the next call.
    const char* Format();

    double Abs() const;
    // Argument in (-pi, pi]; a purely imaginary number lies on the imaginary axis.
    double Arg() const;

    CComplex& Conjugate();
    CComplex& Sqrt();
    CComplex& Pow(double p);
    CComplex& Exp();
    CComplex& Ln();
    CComplex& Log10();
    CComplex& Sin();
    CComplex& Cos();

    double re = 0.0;
    double im = 0.0;

private:
    std::string m_text;
};
