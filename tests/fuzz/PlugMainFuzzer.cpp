// libFuzzer target: the plugin's sources in-process, driven through plugMain
// by a stream of calls decoded from the fuzzer's bytes, with a real GL
// context current.
//
// Every function code comes up, and so do codes outside the table. Values
// are random; pointers are not: an instance is null or a live one, and a
// pointer-taking code gets null or a valid record with random contents, as
// a host would pass. After every call the fuzzer checks what must always
// hold: no GL error, GL state left as the frame path documents it, pointers
// the plugin answers readable, a parameter reads back as it was set, and an
// instance's GL objects gone once it is deinstantiated.
//
// The input format (make_seeds.py writes the seed corpus in it): a sequence
// of calls, each a code byte, an instance byte and the code's payload, all
// read front to back; missing bytes read as zero.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "effect/Skewgrain.h"
#include "host/GLContext.h"
#include "host/RenderTarget.h"
#include "host/Texture.h"
#include "platform/GL.h"
#include "plugin/plugMain.h"

namespace {

using frayline::GLContext;
using frayline::PixelFormat;
using frayline::RenderTarget;
using frayline::Texture;

constexpr uint32_t targetSize = 8;
constexpr size_t maxCalls = 64;
constexpr size_t maxLiveInstances = 4;
constexpr uint32_t parameterCount = 11;

// Made once, never destroyed: the process ends with them.
GLContext* context = nullptr;
Texture* input = nullptr;
RenderTarget* target = nullptr;

[[noreturn]] void Fail(const char* what, uint32_t code)
{
    std::fprintf(stderr, "plugMain fuzzer: %s (function code %u)\n", what, code);
    std::abort();
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }
    uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    uint32_t U32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(Byte()) << (8 * i);
        return value;
    }
    uint64_t U64()
    {
        const uint64_t low = U32();
        return low | static_cast<uint64_t>(U32()) << 32;
    }
    // A value that is mostly a small index: a byte below 128 gives 0 to 15,
    // anything else a whole random MixedValue.
    MixedValue Index()
    {
        const uint8_t mode = Byte();
        return mode < 128 ? mode % 16 : static_cast<MixedValue>(U64());
    }
    // A float parameter value: a plain one in [0, 1], any bit pattern in
    // the low half, or a whole random MixedValue.
    MixedValue Value()
    {
        switch (Byte() % 3) {
        case 0:
            return FloatBits(static_cast<float>(U32() & 0xFFFF) / 65535.0f);
        case 1:
            return U32();
        default:
            return static_cast<MixedValue>(U64());
        }
    }
    // Whether the next record is passed: one time in four it is null.
    bool Present() { return Byte() % 4 != 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// The records one call may point to; they live for the call.
struct Records {
    SetParameterStruct parameter;
    FFGLViewportStruct viewport;
    FFGLTextureStruct textures[4];
    FFGLTextureStruct* textureList[4];
    ProcessOpenGLStruct frame;
    double time;
    uint32_t videoInfo[4];  // FF_INSTANTIATE's record
    uint8_t pixels[targetSize * targetSize * 4];
    void* frameList[1];
    struct {
        uint32_t count;
        void** inputs;
        void* output;
    } frameCopy;  // FF_PROCESSFRAMECOPY's record
};

MixedValue Pass(const void* record)
{
    return reinterpret_cast<MixedValue>(record);
}

MixedValue Payload(uint32_t code, Reader& in, Records& r)
{
    switch (code) {
    case FF_SETPARAMETER:
        if (!in.Present())
            return 0;
        r.parameter.ParameterNumber = static_cast<uint32_t>(in.Index());
        r.parameter.NewParameterValue = in.Value();
        return Pass(&r.parameter);

    case FF_INSTANTIATEGL:
        if (!in.Present())
            return 0;
        r.viewport = {in.U32(), in.U32(), in.U32(), in.U32()};
        return Pass(&r.viewport);

    case FF_PROCESSOPENGL: {
        if (!in.Present())
            return 0;
        r.frame.numInputTextures = in.Byte() % 5;
        r.frame.inputTextures = in.Present() ? r.textureList : nullptr;
        for (int i = 0; i < 4; ++i) {
            r.textureList[i] = in.Present() ? &r.textures[i] : nullptr;
            // The host's input texture or none; any sizes at all.
            const uint32_t handle = in.Byte() % 2 == 0 ? input->Handle() : 0;
            r.textures[i] = {in.U32(), in.U32(), in.U32(), in.U32(), handle};
        }
        r.frame.HostFBO = in.U32();
        return Pass(&r.frame);
    }

    case FF_SETTIME: {
        if (!in.Present())
            return 0;
        const uint64_t bits = in.U64();
        std::memcpy(&r.time, &bits, sizeof r.time);
        return Pass(&r.time);
    }

    case FF_PROCESSFRAME:
        if (!in.Present())
            return 0;
        for (uint8_t& byte : r.pixels)
            byte = in.Byte();
        return Pass(r.pixels);

    case FF_INSTANTIATE:
        if (!in.Present())
            return 0;
        for (uint32_t& field : r.videoInfo)
            field = in.U32();
        return Pass(r.videoInfo);

    case FF_PROCESSFRAMECOPY:
        if (!in.Present())
            return 0;
        r.frameList[0] = r.pixels;
        r.frameCopy = {in.Byte() % 2u, r.frameList, r.pixels};
        return Pass(&r.frameCopy);

    default:
        return in.Index();
    }
}

// Touches every byte of a text the plugin answered, so a bad pointer shows.
void ReadText(const char* text, size_t limit)
{
    if (text == nullptr)
        return;
    volatile char sink = 0;
    for (size_t i = 0; i < limit && text[i] != '\0'; ++i)
        sink = static_cast<char>(sink ^ text[i]);
}

void CheckAnswer(uint32_t code, MixedValue answer)
{
    const auto* text = reinterpret_cast<const char*>(answer);
    switch (code) {
    case FF_GETINFO: {
        const auto* info = reinterpret_cast<const PluginInfoStruct*>(answer);
        if (info == nullptr)
            Fail("FF_GETINFO answered null", code);
        ReadText(reinterpret_cast<const char*>(info->PluginName), sizeof info->PluginName);
        break;
    }
    case FF_GETEXTENDEDINFO: {
        const auto* info = reinterpret_cast<const PluginExtendedInfoStruct*>(answer);
        if (info == nullptr)
            Fail("FF_GETEXTENDEDINFO answered null", code);
        ReadText(info->Description, SIZE_MAX);
        ReadText(info->About, SIZE_MAX);
        break;
    }
    case FF_GETPARAMETERNAME:
        ReadText(text, 16);
        break;
    case FF_GETPARAMETERDISPLAY:
        if (answer != FF_ALLBITS)
            ReadText(text, SIZE_MAX);
        break;
    default:
        break;
    }
}

GLint Integer(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// The GL state every call must leave: no error, texture unit 0 active,
// nothing bound, no program, and the host's framebuffer still the target.
void CheckGL(uint32_t code)
{
    constexpr GLenum framebufferBinding = 0x8CA6;  // past GL 2.0
    if (glGetError() != GL_NO_ERROR)
        Fail("the call left a GL error", code);
    if (Integer(GL_ACTIVE_TEXTURE) != GL_TEXTURE0)
        Fail("the call left another texture unit active", code);
    if (Integer(GL_TEXTURE_BINDING_2D) != 0)
        Fail("the call left a texture bound", code);
    if (Integer(GL_CURRENT_PROGRAM) != 0)
        Fail("the call left a program in use", code);
    if (Integer(framebufferBinding) != static_cast<GLint>(target->Handle()))
        Fail("the call changed the framebuffer binding", code);
}

// The names an instance's program holds, to prove them deleted afterwards.
struct GLNames {
    GLuint program, vertex, fragment;
};

GLNames NamesOf(uintptr_t instance)
{
    const auto* effect =
        dynamic_cast<const Skewgrain*>(reinterpret_cast<CFreeFrameGLPlugin*>(instance));
    if (effect == nullptr)
        Fail("an instance is not a Skewgrain", FF_INSTANTIATEGL);
    return {effect->shader.programHandle, effect->shader.vertexShaderHandle,
            effect->shader.fragmentShaderHandle};
}

void CheckDeleted(const GLNames& names)
{
    if ((names.program != 0 && glIsProgram(names.program)) ||
        (names.vertex != 0 && glIsShader(names.vertex)) ||
        (names.fragment != 0 && glIsShader(names.fragment)))
        Fail("a deinstantiated instance left a GL object behind", FF_DEINSTANTIATEGL);
}

void Deinstantiate(std::vector<uintptr_t>& live, size_t slot)
{
    const GLNames names = NamesOf(live[slot]);
    if (plugMain(FF_DEINSTANTIATEGL, 0, live[slot]) != FF_SUCCESS)
        Fail("FF_DEINSTANTIATEGL of a live instance failed", FF_DEINSTANTIATEGL);
    CheckGL(FF_DEINSTANTIATEGL);
    CheckDeleted(names);
    live.erase(live.begin() + static_cast<std::ptrdiff_t>(slot));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    context = new GLContext();
    input = new Texture(PixelFormat::RGBA8, targetSize, targetSize);
    std::vector<uint8_t> pixels(targetSize * targetSize * 4);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<uint8_t>(i * 37);
    input->Upload(pixels);
    target = new RenderTarget(PixelFormat::RGBA8, targetSize, targetSize);
    target->Bind();
    while (glGetError() != GL_NO_ERROR) {
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Reader in(data, size);
    std::vector<uintptr_t> live;
    auto records = std::make_unique<Records>();

    for (size_t call = 0; call < maxCalls && !in.Empty(); ++call) {
        const uint8_t codeByte = in.Byte() % 40;
        const uint32_t code = codeByte < 36 ? codeByte : in.U32();
        const uint8_t instanceByte = in.Byte();
        const size_t slot = instanceByte % (live.size() + 1);  // 0: no instance
        const uintptr_t instance = slot == 0 ? 0 : live[slot - 1];

        if (code == FF_DEINSTANTIATEGL && instance != 0) {
            Deinstantiate(live, slot - 1);
            continue;
        }
        if (code == FF_INSTANTIATEGL && live.size() == maxLiveInstances)
            continue;

        std::memset(records.get(), 0, sizeof(Records));
        const MixedValue value = Payload(code, in, *records);
        const MixedValue answer = plugMain(code, value, instance);
        CheckGL(code);
        CheckAnswer(code, answer);

        if (code == FF_INSTANTIATEGL && answer != FF_ALLBITS)
            live.push_back(answer);
        if (code == FF_SETPARAMETER && instance != 0 && value != 0 &&
            static_cast<uint32_t>(answer) == FF_SUCCESS) {
            const SetParameterStruct& set = records->parameter;
            if (set.ParameterNumber >= parameterCount)
                Fail("a parameter past the table was accepted", code);
            const MixedValue read = plugMain(FF_GETPARAMETER, set.ParameterNumber, instance);
            if (read != static_cast<uint32_t>(set.NewParameterValue))
                Fail("a parameter did not read back as it was set", code);
        }
    }

    while (!live.empty())
        Deinstantiate(live, live.size() - 1);
    plugMain(FF_DEINITIALISE, 0, 0);
    CheckGL(FF_DEINITIALISE);
    return 0;
}
