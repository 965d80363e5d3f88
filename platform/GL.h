#pragma once

// The plugin's one way to OpenGL: the generated on-demand loader. Nothing
// may include <GL/gl.h> before it.
#include <glad/gl.h>
