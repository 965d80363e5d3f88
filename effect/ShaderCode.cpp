#include "effect/ShaderCode.h"

// Built after the plugin descriptor (priority 101, effect/Skewgrain.cpp).
__attribute__((init_priority(102))) const std::string vertexShaderCode =
    "void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; "
    "gl_TexCoord[0] = gl_MultiTexCoord0; gl_FrontColor = gl_Color; }";

// For every pixel: noise per axis from the coordinate (plus the input's
// brightness when processCol is set) and the drift phase, turned into a
// displacement of the lookup, clamped (mode 0) or offset (mode 1).
// GLSL 1.10 has no implicit int-to-float conversion, so the integer weights
// of mix are converted with float(); the arithmetic is unchanged.
__attribute__((init_priority(102))) const std::string fragmentShaderCode =
    "uniform sampler2D inputTexture; uniform vec2 distortion; uniform vec2 strength; "
    "uniform float frequence; uniform float nStr; uniform int mode; uniform int swap; "
    "uniform int processCol; uniform vec2 time; "
    "float PI = 3.1415; "
    "float rand(float x, float t) { return fract(sin(frequence*x*231.0*PI - "
    "frequence*231.0*0.5*x*PI + t*PI + PI)*(nStr*5.0 + 0.01)); } "
    "float r1(float str, float m, float uv) { return mix(max(0.0, uv - str*m), "
    "min(1.0, uv + str*m), m); } "
    "float r2(float str, float m, float uv) { return mix(uv, uv+(2.0*str - 1.0) , m); } "
    "float moyRGB(vec3 col) { return (col.r + col.g + col.b) / 3.0; } "
    "void main() { "
    "vec2 uv = gl_TexCoord[0].st; "
    "vec4 col = vec4(0.0); "
    "if (processCol > 0) { col = texture2D(inputTexture, gl_TexCoord[0].st); } "
    "float uvX = mix(uv.x, uv.y, float(swap)); "
    "float uvY = mix(uv.y, uv.x, float(swap)); "
    "float mx = rand(uvX+ moyRGB(col.rgb), time.x)*distortion.x; "
    "float my = rand(uvY + moyRGB(col.rgb), time.y)*distortion.y; "
    "float x = mix(r1(strength.x, mx, uv.x),r2(strength.x, mx, uv.x),float(mode)); "
    "float y = mix(r1(strength.y, my, uv.y),r2(strength.y, my, uv.y),float(mode)); "
    "vec4 tex = texture2D(inputTexture, vec2(x, y)); "
    "gl_FragColor = tex; }";
