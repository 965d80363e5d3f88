#pragma once

#include <string>

// The effect's two GLSL texts, built at library load right after the plugin
// descriptor and destroyed at unload. Single lines, no version directive:
// GLSL 1.10 with the compatibility built-ins.
extern const std::string vertexShaderCode;
extern const std::string fragmentShaderCode;
