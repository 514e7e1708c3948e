// shader_runtime.h - the shading runtime the renderer calls: the calls and
// enumerants of NVIDIA's Cg runtime (core and GL binding) on top of GLSL
// compiled by the GL driver.
//
// Each program is one stage, compiled from its file into a separable GL
// program object. Enabling a profile hands its stage to the program bound in
// it; disabling it returns the stage to fixed function. Both stages meet in one
// program pipeline, so a vertex and a fragment program can be bound in either
// order, and either may run with the other stage fixed function. Values set on
// a program stay with it, like Cg's parameters.
//
// ---------------------------------------------------------------------------
// Writing a shader file (every file under cgeffects/ follows this)
// ---------------------------------------------------------------------------
// * One file is one stage: the loader that reads it decides whether it is a
//   vertex or a fragment shader. The text goes to the driver unchanged, in a
//   compatibility-profile context. Start the file with "#version 120" (GLSL
//   1.20: the "texture" sampler name below is not yet a built-in function
//   there). The entry point is void main().
// * Parameters are plain uniforms, looked up by name per program; the engine
//   feeds these (the type in brackets is what the uniform must be declared as):
//     ModelViewProj       [mat4]  projection x model-view when the engine binds it
//     ModelViewLightProj  [mat4]  the texture matrix holding the light projection
//     ModelViewObject     [mat4]  the texture matrix holding the model placement
//     CameraPos, LightPos [vec3]
//     planecut, holes, alpha, RightV, UpV, ...  [float]
//     decal, decal2, decal3, texture, texture2, light  [sampler2D]
//   Matrices are column-major: write ModelViewProj * gl_Vertex. A uniform the
//   engine never sets keeps its GLSL default (zero). Do not assign texture
//   units: the layer gives fragment samplers units 0-7 and vertex samplers
//   units 8-15 by itself.
// * Vertex stage inputs: gl_Vertex, gl_Normal, gl_Color, gl_MultiTexCoord0-7,
//   and the fixed-function state (gl_ModelViewMatrix, gl_TextureMatrix[i],
//   gl_NormalMatrix, ...). It must write gl_Position.
// * Between the stages use the built-in varyings only: gl_TexCoord[0-7],
//   gl_FrontColor, gl_FrontSecondaryColor (like Cg's TEXCOORDn and COLORn
//   semantics). The stages are compiled apart, so varyings you declare
//   yourself are not matched.
// * Fragment stage inputs: gl_TexCoord[i], gl_Color, gl_SecondaryColor,
//   gl_FragCoord. Screen passes run with the fixed-function vertex stage: there
//   gl_Color is the current glColor and gl_TexCoord[0] the quad's texture
//   coordinate (0..1 across the viewport, through the texture matrix).
// * Fragment outputs: gl_FragData[0] is the picture, gl_FragData[1] the glow
//   picture (the scene target has two colour attachments; with one draw buffer
//   gl_FragData[1] is dropped). Write both, and never mix them with
//   gl_FragColor.
// * A file that does not compile gives a program that draws nothing (and no
//   GL error). The driver's messages are kept: cgGetProgramListing(program) and
//   cgGetLastListing(context).
// ---------------------------------------------------------------------------
//
// Handles are never released; a null handle is accepted (and ignored) by every
// call. GL work needs a current context with GLEW initialised; before that,
// programs fail to compile (with a listing saying why) and draw nothing.
#pragma once

#include "render/gl.h"

struct CgContextRecord;
struct CgProgramRecord;
struct CgParameterRecord;

using CGcontext = CgContextRecord*;
using CGprogram = CgProgramRecord*;
using CGparameter = CgParameterRecord*;
using CGbool = int;

constexpr CGbool CG_FALSE = 0;
constexpr CGbool CG_TRUE = 1;

enum CGprofile : int {
    CG_PROFILE_UNKNOWN = 6145,
    CG_PROFILE_VP30 = 6148,
    CG_PROFILE_ARBVP1 = 6150,
    CG_PROFILE_ARBFP1 = 7000,
    CG_PROFILE_GLSLV = 7007,  // what cgGLGetLatestProfile reports for vertex programs
    CG_PROFILE_GLSLF = 7008,  // ... and for fragment programs
};

enum CGenum : int {
    CG_SOURCE = 4112,  // the file holds source text (the only kind read)
};

enum CGGLenum : int {
    CG_GL_MATRIX_IDENTITY = 0,
    CG_GL_MATRIX_TRANSPOSE = 1,
    CG_GL_MATRIX_INVERSE = 2,
    CG_GL_MATRIX_INVERSE_TRANSPOSE = 3,
    CG_GL_MODELVIEW_MATRIX = 4,
    CG_GL_PROJECTION_MATRIX = 5,
    CG_GL_TEXTURE_MATRIX = 6,
    CG_GL_MODELVIEW_PROJECTION_MATRIX = 7,
    CG_GL_VERTEX = 8,
    CG_GL_FRAGMENT = 9,
};

// --- contexts and programs ---
CGcontext cgCreateContext();
// CG_GL_VERTEX or CG_GL_FRAGMENT; CG_PROFILE_UNKNOWN for anything else.
CGprofile cgGLGetLatestProfile(CGGLenum profileClass);
// Reads the file now; compiling waits for cgCompileProgram (or the first use).
// The profile picks the stage. entry must be null or "main"; args are kept
// (see cgGetProgramOptions) and change nothing. Null when context or file is null.
CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* file,
                                  CGprofile profile, const char* entry, const char** args);
CGbool cgIsProgramCompiled(CGprogram program);
void cgCompileProgram(CGprogram program);  // compiles once; a failed compile is not retried

// --- binding ---
void cgGLEnableProfile(CGprofile profile);
void cgGLDisableProfile(CGprofile profile);
void cgGLLoadProgram(CGprogram program);  // compiles if that has not been tried
void cgGLBindProgram(CGprogram program);  // current in its profile's stage
void cgGLUnbindProgram(CGprofile profile);

// --- parameters ---
// Null when the program does not declare (or the driver dropped) the uniform.
CGparameter cgGetNamedParameter(CGprogram program, const char* name);
// The current GL matrix (CG_GL_*_MATRIX) into a mat4 uniform, optionally
// transposed and/or inverted.
void cgGLSetStateMatrixParameter(CGparameter parameter, CGGLenum matrix, CGGLenum transform);
// Float setters fill the leading components of a float/vecN uniform and keep
// the rest; on uniforms of other types they do nothing.
void cgGLSetParameter1f(CGparameter parameter, float x);
void cgGLSetParameter3f(CGparameter parameter, float x, float y, float z);
// Remembers the texture for a sampler ...
void cgGLSetTextureParameter(CGparameter parameter, GLuint texture);
// ... and binds it on the sampler's texture unit (the active unit is kept).
void cgGLEnableTextureParameter(CGparameter parameter);

// --- queries for tests and tools ---
CGprofile cgGetProgramProfile(CGprogram program);
// The compiler arguments given at creation, null-terminated.
const char* const* cgGetProgramOptions(CGprogram program);
// The driver's compile and link messages of the context's latest compile.
const char* cgGetLastListing(CGcontext context);
// The same for one program ("" before it is compiled).
const char* cgGetProgramListing(CGprogram program);
// The texture unit of a sampler parameter, -1 for other parameters.
int cgGetParameterTextureUnit(CGparameter parameter);
