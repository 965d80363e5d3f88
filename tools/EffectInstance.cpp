#include "tools/EffectInstance.h"

#include <cstring>
#include <thread>

#include "host/HostError.h"
#include "platform/GL.h"

namespace frayline {

EffectInstance::EffectInstance(const Effect& effect, uint32_t width, uint32_t height)
    : effect_(effect)
{
    const FFGLViewportStruct viewport{0, 0, width, height};
    // The plugin reads its clock early in set-up; taking ours just before
    // the call puts the two zeros microseconds apart, where taking it after
    // would add the shader's compile time to every frame's time.
    setUp_ = Clock::now();
    const MixedValue answer = effect_.Library().InstantiateGL(&viewport);
    if (answer == FF_ALLBITS || answer == 0)
        throw HostError("the plugin refused an instance of " + std::to_string(width) + "x" +
                        std::to_string(height));
    instance_ = answer;
}

EffectInstance::~EffectInstance()
{
    effect_.Library().DeinstantiateGL(instance_);
}

void EffectInstance::Set(uint32_t index, float value)
{
    if (effect_.Library().SetParameter(instance_, index, value) != FF_SUCCESS)
        throw HostError("the plugin refused " + effect_.DisplayName(index) + " = " +
                        std::to_string(value));
}

std::string EffectInstance::DisplayText(uint32_t index) const
{
    const char* text = effect_.Library().ParameterDisplay(instance_, index);
    return text ? std::string(text, strnlen(text, 256)) : "";
}

void EffectInstance::WaitUntil(double seconds) const
{
    std::this_thread::sleep_until(setUp_ + std::chrono::duration_cast<Clock::duration>(
                                               std::chrono::duration<double>(seconds)));
}

void EffectInstance::Draw(const Texture& input, RenderTarget& target)
{
    target.Bind();
    FFGLTextureStruct record = input.Record();
    FFGLTextureStruct* inputs[1] = {&record};
    ProcessOpenGLStruct frame{1, inputs, target.Handle()};
    if (effect_.Library().ProcessOpenGL(instance_, &frame) != FF_SUCCESS)
        throw HostError("the plugin failed to draw a frame");
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        throw HostError("GL error " + std::to_string(error) + " after the plugin drew a frame");
}

}  // namespace frayline
