#pragma once

#include <string>

#include "platform/GL.h"

// Past GL 2.0, so not in the loader's header.
#ifndef GL_CONTEXT_PROFILE_MASK
#define GL_CONTEXT_PROFILE_MASK 0x9126
#endif
#ifndef GL_CONTEXT_COMPATIBILITY_PROFILE_BIT
#define GL_CONTEXT_COMPATIBILITY_PROFILE_BIT 0x00000002
#endif

namespace frayline {

// Small GL diagnostics shared by the context back ends.
std::string GlErrorName(GLenum error);
std::string GlString(GLenum name);

// Why the current context cannot serve the plugin, or "" when it can: the
// plugin draws in immediate mode with the fixed-function matrices, which only
// a compatibility context has. The check draws an empty glBegin/glEnd;
// `tolerated` is the one error that this draw may raise anyway (a
// surfaceless context has no default framebuffer), GL_NO_ERROR for none.
std::string CompatibilityProblem(GLenum tolerated);

} // namespace frayline
