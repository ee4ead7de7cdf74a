#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#include <string>
#include <vector>

// Every OpenGL entry point newer than 1.1 that the game may call, in the order the table
// is filled. Each row: pointer type, entry-point name, and whether the game calls it
// (a row marked false is fetched but never called).
#define ZORBEL_GL_FUNCTION_LIST(X)                                         \
    X(PFNGLGENBUFFERSPROC, glGenBuffers, true)                             \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers, true)                       \
    X(PFNGLBINDBUFFERPROC, glBindBuffer, true)                             \
    X(PFNGLBUFFERDATAPROC, glBufferData, true)                             \
    X(PFNGLBUFFERSUBDATAPROC, glBufferSubData, true)                       \
    X(PFNGLCREATESHADERPROC, glCreateShader, true)                         \
    X(PFNGLDELETESHADERPROC, glDeleteShader, true)                         \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram, true)                       \
    X(PFNGLSHADERSOURCEPROC, glShaderSource, true)                         \
    X(PFNGLCOMPILESHADERPROC, glCompileShader, true)                       \
    X(PFNGLGETSHADERIVPROC, glGetShaderiv, true)                           \
    X(PFNGLATTACHSHADERPROC, glAttachShader, true)                         \
    X(PFNGLDETACHSHADERPROC, glDetachShader, true)                         \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram, true)                           \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv, true)                         \
    X(PFNGLUSEPROGRAMPROC, glUseProgram, true)                             \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog, false)              \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog, true)                 \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation, true)             \
    X(PFNGLUNIFORM1FPROC, glUniform1f, false)                              \
    X(PFNGLUNIFORM2FPROC, glUniform2f, true)                               \
    X(PFNGLUNIFORM3FPROC, glUniform3f, false)                              \
    X(PFNGLUNIFORM4FPROC, glUniform4f, false)                              \
    X(PFNGLUNIFORM1FVPROC, glUniform1fv, false)                            \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv, false)                            \
    X(PFNGLUNIFORM3FVPROC, glUniform3fv, false)                            \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv, false)                            \
    X(PFNGLUNIFORM1IPROC, glUniform1i, true)                               \
    X(PFNGLUNIFORM2IPROC, glUniform2i, false)                              \
    X(PFNGLUNIFORM3IPROC, glUniform3i, false)                              \
    X(PFNGLUNIFORM4IPROC, glUniform4i, false)                              \
    X(PFNGLUNIFORM1UIPROC, glUniform1ui, false)                            \
    X(PFNGLUNIFORM2UIPROC, glUniform2ui, false)                            \
    X(PFNGLUNIFORM3UIPROC, glUniform3ui, false)                            \
    X(PFNGLUNIFORM4UIPROC, glUniform4ui, false)                            \
    X(PFNGLUNIFORMMATRIX2FVPROC, glUniformMatrix2fv, false)                \
    X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv, false)                \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv, true)                 \
    X(PFNGLGETATTRIBLOCATIONPROC, glGetAttribLocation, true)               \
    X(PFNGLBINDATTRIBLOCATIONPROC, glBindAttribLocation, false)            \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer, true)           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray, true)   \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray, true) \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture, true)

// The process-wide table of GL entry points. Zero until fetchGlFunctions runs; every call
// to a GL function newer than 1.1 goes through it (gl.glBindBuffer(...)).
struct GlFunctions {
#define ZORBEL_GL_SLOT(type, name, used) type name = nullptr;
    ZORBEL_GL_FUNCTION_LIST(ZORBEL_GL_SLOT)
#undef ZORBEL_GL_SLOT
};

extern GlFunctions gl;

inline constexpr int kGlFunctionCount = 44;

// Looks an entry point up by name; returns null when the driver lacks it.
using GlProcLookup = void* (*)(const char* name);

// Fills every slot, in table order, from the lookup. Needs the GL context current.
void fetchGlFunctions(GlProcLookup lookup);

// The entry points the game calls whose slot is still null, in table order.
std::vector<std::string> missingGlFunctions();

// The names of the table, in order (for reports and tests).
const std::vector<const char*>& glFunctionNames();
