#pragma once

#include <cstdint>

#include "plugin/CFreeFrameGLPlugin.h"
#include "shader/FFGLShader.h"

// The distortion effect: eleven parameters, a clock of its own with two
// drift phases, and one program that displaces every pixel's lookup.
class Skewgrain : public CFreeFrameGLPlugin {
public:
    Skewgrain();
    ~Skewgrain() override;

    uint32_t SetUpGL(const FFGLViewportStruct* viewport) override;
    uint32_t TearDownGL() override;
    uint32_t SetFloatValue(uint32_t index, float value) override;
    float GetFloatValue(uint32_t index) override;
    uint32_t RenderFrame(const ProcessOpenGLStruct* record) override;

    // Reads the counter's frequency and its start value; the first step of
    // SetUpGL, and the zero of every later frame's time.
    void StartClock();

    // Parameter values, indices 0 to 10; stored as the host sends them.
    float xDistortion;
    float yDistortion;
    float strengthX;
    float strengthY;
    float frequence;
    float randomStrength;
    float xSpeed;
    float ySpeed;
    float randomMode;
    float swapXAndY;
    float colorInfluence;

    // The clock: seconds since set-up, and the drift phases it advances.
    double currentTime;
    double previousTime;
    double ticksPerMillisecond;
    int64_t startCounter;
    float timeX;
    float timeY;

    FFGLShader shader;

    // Uniform locations in the order of the uniform table; -1 until found.
    enum { UniformCount = 9 };
    int32_t uniformLocations[UniformCount];

private:
    void AdvanceClock();
    void UploadUniforms();
};

// The factory the plugin descriptor holds: one new Skewgrain in *out, or
// null and FF_FAIL when none can be made.
uint32_t MakeInstance(CFreeFrameGLPlugin** out);
