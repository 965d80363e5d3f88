#pragma once

// The effect's fragment shader, computed on the CPU in double precision: for
// a texture coordinate and the uniforms, the coordinate the shader looks the
// input up at. Pixel tests compare what the GPU fetched with this.
//
// The functions follow the shader text expression by expression, with the
// shader's own PI (3.1415, not pi) and GLSL's definitions of mix and fract.
namespace frayline::model {

constexpr double PI = 3.1415;

// The nine uniforms but the sampler. The defaults are what a new instance
// uploads: its parameter defaults, and drift phases of 0.
struct Uniforms {
    double distortion[2] = {0.25, 0.0};
    double strength[2] = {0.5, 0.5};
    double frequence = 0.25;
    double nStr = 0.25;
    int mode = 0;
    int swap = 0;
    int processCol = 0;
    double time[2] = {0.0, 0.0};
};

struct Rgb {
    double r = 0.0;
    double g = 0.0;
    double b = 0.0;
};

// The shader's result for one pixel, with what a comparison needs to judge
// it: for the noise of each axis (mx, my), the x and t that rand received
// and the value that its fract() received.
struct Lookup {
    double x = 0.0;
    double y = 0.0;
    double randX[2] = {0.0, 0.0};
    double randT[2] = {0.0, 0.0};
    double fractArgument[2] = {0.0, 0.0};
};

double Mix(double a, double b, double weight);  // GLSL mix: a*(1-w) + b*w
double Fract(double value);                     // GLSL fract: value - floor(value)

// The shader's four functions. RandArgument is what rand hands to fract().
double RandArgument(const Uniforms& uniforms, double x, double t);
double Rand(const Uniforms& uniforms, double x, double t);
double R1(double str, double m, double uv);
double R2(double str, double m, double uv);
double MoyRGB(const Rgb& col);

// main() for the interpolated coordinate (s, t). `input` is the input texel
// at (s, t), undisplaced; the shader reads it only when processCol > 0.
Lookup Main(const Uniforms& uniforms, double s, double t, const Rgb& input = Rgb());

}  // namespace frayline::model
