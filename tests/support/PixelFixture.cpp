#include "support/PixelFixture.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "host/RenderTarget.h"
#include "platform/GL.h"

namespace frayline::pixels {
namespace {

float Centre(uint32_t index, uint32_t size)
{
    return static_cast<float>((index + 0.5) / size);
}

float Blue(uint32_t i, uint32_t j)
{
    return static_cast<float>((i * 7 + j * 13) % 32) / 31.0f;
}

// The band around an integer in which fract()'s argument may fall on the
// other side in single precision. The sine's argument is a sum of terms each
// rounded a few times in float (2^-24 relative), so its error follows the
// largest term; llvmpipe's sin adds a little absolute error; the sine's
// amplitude scales both. Measured on llvmpipe against this model: the sine's
// argument strays by up to 1e-7 of its largest term (2.5e-4 at 3000), and
// fract()'s argument by up to 1.2e-3 there at amplitude 5. The band below is
// about ten times that.
double DiscontinuityBand(const model::Uniforms& u, double x, double t)
{
    const double largest = std::max(
        {std::fabs(u.frequence * x * 231.0 * model::PI), std::fabs(t * model::PI), model::PI});
    return std::fabs(u.nStr * 5.0 + 0.01) * (largest * 1e-6 + 1e-5);
}

bool NearInteger(double value, double band)
{
    return std::fabs(value - std::round(value)) < band;
}

}  // namespace

model::Rgb TexelColour(uint32_t i, uint32_t j, uint32_t hardwareWidth, uint32_t hardwareHeight)
{
    return model::Rgb{Centre(i, hardwareWidth), Centre(j, hardwareHeight), Blue(i, j)};
}

Texture CoordinateTexture(uint32_t width, uint32_t height, uint32_t hardwareWidth,
                          uint32_t hardwareHeight)
{
    Texture texture(PixelFormat::RGBA32F, width, height, hardwareWidth, hardwareHeight);
    std::vector<float> texels;
    texels.reserve(std::size_t(hardwareWidth) * hardwareHeight * 4);
    for (uint32_t j = 0; j < hardwareHeight; ++j) {
        for (uint32_t i = 0; i < hardwareWidth; ++i) {
            texels.push_back(Centre(i, hardwareWidth));
            texels.push_back(Centre(j, hardwareHeight));
            texels.push_back(Blue(i, j));
            texels.push_back(1.0f);
        }
    }
    // Texture::Upload fills the used region only; this fills the allocation.
    glBindTexture(GL_TEXTURE_2D, texture.Handle());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, static_cast<GLsizei>(hardwareWidth),
                    static_cast<GLsizei>(hardwareHeight), GL_RGBA, GL_FLOAT, texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

Texture CoordinateTexture(uint32_t width, uint32_t height)
{
    return CoordinateTexture(width, height, width, height);
}

Frame RenderThrough(PlugMainFunction entry, uintptr_t instance, const FFGLTextureStruct& input,
                    uint32_t width, uint32_t height, MixedValue* answer)
{
    RenderTarget target(PixelFormat::RGBA32F, width, height);
    target.Bind();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    FFGLTextureStruct texture = input;
    FFGLTextureStruct* textures[1] = {&texture};
    ProcessOpenGLStruct record{1, textures, target.Handle()};
    const MixedValue result =
        entry(FF_PROCESSOPENGL, reinterpret_cast<MixedValue>(&record), instance);
    if (answer != nullptr)
        *answer = result;
    return Frame{width, height, target.ReadRGBA32F()};
}

model::Uniforms AsUploaded(model::Uniforms u)
{
    auto round = [](double& value) { value = static_cast<float>(value); };
    for (int axis = 0; axis < 2; ++axis) {
        round(u.distortion[axis]);
        round(u.strength[axis]);
        round(u.time[axis]);
    }
    round(u.frequence);
    round(u.nStr);
    return u;
}

int32_t ExpectedTexel(double coordinate, uint32_t hardwareSize)
{
    const double texel = std::floor(coordinate * hardwareSize);
    return static_cast<int32_t>(std::clamp(texel, 0.0, hardwareSize - 1.0));
}

testing::AssertionResult MatchesModel(const Frame& frame, const Texture& input, const Quad& quad,
                                      const model::Uniforms& uniforms)
{
    const uint32_t size[2] = {input.HardwareWidth(), input.HardwareHeight()};
    std::size_t mismatches = 0;
    std::size_t excused = 0;
    std::ostringstream report;
    report.precision(9);

    for (uint32_t py = 0; py < frame.height; ++py) {
        for (uint32_t px = 0; px < frame.width; ++px) {
            const float* pixel = &frame.rgba[(std::size_t(py) * frame.width + px) * 4];
            const double s = (px + 0.5) / frame.width * quad.maxS;
            const double t = (py + 0.5) / frame.height * quad.maxT;
            // The undisplaced texel, which the shader reads for the colour.
            const model::Rgb colour =
                TexelColour(static_cast<uint32_t>(ExpectedTexel(s, size[0])),
                            static_cast<uint32_t>(ExpectedTexel(t, size[1])), size[0], size[1]);
            const model::Lookup lookup = model::Main(uniforms, s, t, colour);

            const double coordinate[2] = {lookup.x, lookup.y};
            bool wrong = pixel[3] != 1.0f;
            for (int axis = 0; axis < 2; ++axis) {
                const int32_t fetched = static_cast<int32_t>(std::floor(pixel[axis] * size[axis]));
                const int32_t expected = ExpectedTexel(coordinate[axis], size[axis]);
                if (std::abs(fetched - expected) <= 1)
                    continue;
                if (uniforms.distortion[axis] != 0.0 &&
                    NearInteger(
                        lookup.fractArgument[axis],
                        DiscontinuityBand(uniforms, lookup.randX[axis], lookup.randT[axis]))) {
                    ++excused;
                    continue;
                }
                wrong = true;
            }
            if (wrong && ++mismatches <= 8) {
                report << "\n  pixel (" << px << ", " << py << ") at (" << s << ", " << t
                       << "): fetched texel (" << std::floor(pixel[0] * size[0]) << ", "
                       << std::floor(pixel[1] * size[1]) << ") alpha " << pixel[3] << ", model ("
                       << ExpectedTexel(lookup.x, size[0]) << ", "
                       << ExpectedTexel(lookup.y, size[1]) << ") from (" << lookup.x << ", "
                       << lookup.y << "), fract arguments " << lookup.fractArgument[0] << ", "
                       << lookup.fractArgument[1];
            }
        }
    }

    const std::size_t axes = std::size_t(frame.width) * frame.height * 2;
    if (mismatches == 0 && excused * 100 < axes)
        return testing::AssertionSuccess() << excused << " pixel axes excused at fract()";
    return testing::AssertionFailure()
           << mismatches << " of " << frame.width * frame.height
           << " pixels differ from the model, " << excused << " of " << axes
           << " pixel axes excused at fract() (fewer than 1% may be)" << report.str();
}

}  // namespace frayline::pixels
