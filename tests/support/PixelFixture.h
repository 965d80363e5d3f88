#pragma once

// Pixel tests draw, then probe. The input is a coordinate texture: every
// texel holds the texture coordinate of its own centre, so a float render
// target read back says, at every pixel, which texel the shader fetched.
// That is compared with the CPU model of the shader (support/ShaderModel.h).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/Texture.h"
#include "plugin/FFGL.h"
#include "support/ShaderModel.h"

namespace frayline::pixels {

// What texel (i, j) of a hardwareWidth x hardwareHeight allocation holds:
// red and green the s and t of its centre, blue a value that varies from
// texel to texel (so that the colour-driven noise differs between
// neighbours), alpha 1. The values are the floats the texture stores.
model::Rgb TexelColour(uint32_t i, uint32_t j, uint32_t hardwareWidth, uint32_t hardwareHeight);

// An RGBA32F texture, nearest filtering, clamp to edge, with a used region of
// width x height. The whole allocation holds coordinates, not only the used
// region: the effect can look beyond the region (the shader does not clamp
// to it), and every fetch must say where it went.
Texture CoordinateTexture(uint32_t width, uint32_t height, uint32_t hardwareWidth,
                          uint32_t hardwareHeight);
Texture CoordinateTexture(uint32_t width, uint32_t height);

// A frame read back from a float target, row 0 at the bottom.
struct Frame {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<float> rgba;
};

// One FF_PROCESSOPENGL frame of an instance, drawn into a new RGBA32F
// target of the given size (bound, with its viewport and identity
// matrices, as a host calls a plugin) and read back. `entry` is the
// plugin's plugMain, loaded or linked in; `answer` receives its result.
Frame RenderThrough(PlugMainFunction entry, uintptr_t instance, const FFGLTextureStruct& input,
                    uint32_t width, uint32_t height, MixedValue* answer = nullptr);

// The drawn quad's texture coordinates run from (0, 0) to (maxS, maxT); a
// target pixel's centre gets the coordinate interpolated there.
struct Quad {
    double maxS = 1.0;
    double maxT = 1.0;
};

// Passes when every pixel fetched the texel the model names, give or take
// one texel on each axis (single against double precision near a texel's
// edge), and the alpha of the fetched texel is 1.
//
// An axis of a pixel is excused only where the model's noise sits at a
// discontinuity of fract(): there the noise jumps from nearly 1 to 0, so a
// rounding difference far below a texel moves the lookup by up to the whole
// distortion, and single precision may land on the other side. The band is
// derived from the float error of the sine's argument (see the .cpp); a
// pixel is excused for an axis only when the model's fract() argument lies
// within it of an integer and that axis is displaced at all. Fewer than 1%
// of the pixel axes may be excused, so the test cannot pass by excusing.
testing::AssertionResult MatchesModel(const Frame& frame, const Texture& input, const Quad& quad,
                                      const model::Uniforms& uniforms);

// The uniforms as the GPU receives them: every value rounded to a float.
model::Uniforms AsUploaded(model::Uniforms uniforms);

// The model's expected texel index on one axis for a lookup coordinate, with
// the texture's clamp-to-edge wrap.
int32_t ExpectedTexel(double coordinate, uint32_t hardwareSize);

}  // namespace frayline::pixels
