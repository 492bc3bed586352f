#include "app/shell/Complex.h"

#include <cmath>
#include <cstdio>
#include <numbers>

CComplex CComplex::Add(CComplex a, CComplex b)
{
    return {a.re + b.re, a.im + b.im};
}

CComplex CComplex::Subtract(CComplex a, CComplex b)
{
    return {a.re - b.re, a.im - b.im};
}

CComplex CComplex::Multiply(CComplex a, CComplex b)
{
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

CComplex CComplex::Divide(CComplex a, CComplex b)
{
    const double d = b.re * b.re + b.im * b.im;
    return {(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
}

CComplex& CComplex::Assign(const CComplex& other)
{
    re = other.re;
    im = other.im;
    return *this;
}

const char* CComplex::Format()
{
    // The C library's %g follows LC_NUMERIC, which the program keeps at "C".
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9g%+.9gi", re, im);
    m_text = buffer;
    return m_text.c_str();
}

double CComplex::Abs() const
{
    return std::sqrt(re * re + im * im);
}

double CComplex::Arg() const
{
    // atan2 also for a zero real part: 0+4i lies at pi/2, not on the positive real axis.
    return std::atan2(im, re);
}

CComplex& CComplex::Conjugate()
{
    im = -im;
    return *this;
}

CComplex& CComplex::Sqrt()
{
    const double magnitude = std::sqrt(Abs());
    const double angle = Arg() / 2.0;
    re = magnitude * std::cos(angle);
    im = magnitude * std::sin(angle);
    return *this;
}

CComplex& CComplex::Pow(double p)
{
    const double magnitude = std::pow(Abs(), p);
    const double angle = p * Arg();
    re = magnitude * std::cos(angle);
    im = magnitude * std::sin(angle);
    return *this;
}

CComplex& CComplex::Exp()
{
    const double magnitude = std::exp(re);
    const double angle = im;
    re = magnitude * std::cos(angle);
    im = magnitude * std::sin(angle);
    return *this;
}

CComplex& CComplex::Ln()
{
    const double magnitude = Abs();
    const double angle = Arg();
    re = std::log(magnitude);
    im = angle;
    return *this;
}

CComplex& CComplex::Log10()
{
    Ln();
    re *= std::numbers::log10e;
    im *= std::numbers::log10e;
    return *this;
}

CComplex& CComplex::Sin()
{
    const double a = re;
    const double b = im;
    re = std::sin(a) * std::cosh(b);
    im = std::cos(a) * std::sinh(b);
    return *this;
}

CComplex& CComplex::Cos()
{
    const double a = re;
    const double b = im;
    re = std::cos(a) * std::cosh(b);
    im = -std::sin(a) * std::sinh(b);
    return *this;
}
