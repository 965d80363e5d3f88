#include "support/ShaderModel.h"

#include <algorithm>
#include <cmath>

namespace frayline::model {

double Mix(double a, double b, double weight)
{
    return a * (1.0 - weight) + b * weight;
}

double Fract(double value)
{
    return value - std::floor(value);
}

// fract(sin(frequence*x*231.0*PI - frequence*231.0*0.5*x*PI + t*PI + PI)*(nStr*5.0 + 0.01))
double RandArgument(const Uniforms& u, double x, double t)
{
    const double f = u.frequence;
    return std::sin(f * x * 231.0 * PI - f * 231.0 * 0.5 * x * PI + t * PI + PI) *
           (u.nStr * 5.0 + 0.01);
}

double Rand(const Uniforms& u, double x, double t)
{
    return Fract(RandArgument(u, x, t));
}

double R1(double str, double m, double uv)
{
    return Mix(std::max(0.0, uv - str * m), std::min(1.0, uv + str * m), m);
}

double R2(double str, double m, double uv)
{
    return Mix(uv, uv + (2.0 * str - 1.0), m);
}

double MoyRGB(const Rgb& col)
{
    return (col.r + col.g + col.b) / 3.0;
}

Lookup Main(const Uniforms& u, double s, double t, const Rgb& input)
{
    const Rgb col = u.processCol > 0 ? input : Rgb();
    const double uvX = Mix(s, t, u.swap);
    const double uvY = Mix(t, s, u.swap);

    Lookup result;
    result.randX[0] = uvX + MoyRGB(col);
    result.randX[1] = uvY + MoyRGB(col);
    for (int axis = 0; axis < 2; ++axis) {
        result.randT[axis] = u.time[axis];
        result.fractArgument[axis] = RandArgument(u, result.randX[axis], u.time[axis]);
    }
    const double mx = Fract(result.fractArgument[0]) * u.distortion[0];
    const double my = Fract(result.fractArgument[1]) * u.distortion[1];

    result.x = Mix(R1(u.strength[0], mx, s), R2(u.strength[0], mx, s), u.mode);
    result.y = Mix(R1(u.strength[1], my, t), R2(u.strength[1], my, t), u.mode);
    return result;
}

}  // namespace frayline::model
