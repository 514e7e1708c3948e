// shader_programs.cpp - the Renderer's shader programs: loading vertex and
// fragment programs into numbered slots, switching the stages on and off,
// and feeding parameters by slot. All shading goes through shader_runtime.h.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/file_bytes.h"
#include "platform/fatal_exit.h"
#include "render/renderer.h"

namespace {

constexpr const char* kMissingFileCaption = "  = Orvalis. Vexa 2007 = - File is missing !";

// Shader sources are only checked for presence; a missing one ends the program.
void requireFile(const char* path)
{
    const int fd = openRegularFile(path);
    if (fd >= 0) {
        close(fd);
        return;
    }
    fatalExit(path, kMissingFileCaption, platform::MessageIcon::Information);
}

}  // namespace

const char* Renderer::glVendor() const
{
    if (vendorOverride)
        return vendorOverride;
    const GLubyte* vendor = glGetString(GL_VENDOR);
    return vendor ? reinterpret_cast<const char*>(vendor) : "";
}

bool Renderer::vendorIsAti() const { return std::strstr(glVendor(), "ATI") != nullptr; }

void Renderer::createCgContext()
{
    vertexProfile = CG_PROFILE_VP30;
    fragmentProfile = cgGLGetLatestProfile(CG_GL_FRAGMENT);
    if (vendorIsAti()) {
        vertexProfile = CG_PROFILE_ARBVP1;
        fragmentProfile = CG_PROFILE_ARBFP1;
    }
    // The previous context is kept: its programs stay usable.
    cgContext = cgCreateContext();
}

void Renderer::loadVertexProgramFile(const char* path, int32_t k)
{
    requireFile(path);
    programs[k] = cgCreateProgramFromFile(cgContext, CG_SOURCE, path, vertexProfile, nullptr, nullptr);
}

void Renderer::loadFragmentProgramFile(const char* path, int32_t k)
{
    requireFile(path);
    const char* atiArguments[] = {"-po", "ATI_draw_buffers", nullptr};
    const char** arguments = vendorIsAti() ? atiArguments : nullptr;
    programs[k] = cgCreateProgramFromFile(cgContext, CG_SOURCE, path, fragmentProfile, nullptr, arguments);
}

void Renderer::compileAndLoadVertex(int32_t k)
{
    if (!cgIsProgramCompiled(programs[k]))
        cgCompileProgram(programs[k]);
    cgGLEnableProfile(vertexProfile);
    cgGLLoadProgram(programs[k]);
}

void Renderer::compileAndLoadFragment(int32_t k)
{
    if (!cgIsProgramCompiled(programs[k]))
        cgCompileProgram(programs[k]);
    cgGLEnableProfile(fragmentProfile);
    cgGLLoadProgram(programs[k]);
}

void Renderer::loadShaderPair(const char* vertexPath, const char* fragmentPath, int32_t k)
{
    loadVertexProgramFile(vertexPath, k);
    loadFragmentProgramFile(fragmentPath, k + 1);
    compileAndLoadVertex(k);
    compileAndLoadFragment(k + 1);
    lookupParameter(k, 5, "ModelViewProj");
    lookupParameter(k, 6, "ModelViewLightProj");
    lookupParameter(k, 14, "ModelViewObject");
    disableFragmentProfile();
    disableVertexProfile();
}

void Renderer::loadShaderPairWithModel(const char* vertexPath, const char* fragmentPath, const char* modelPath,
                                       int32_t modelIndex, int32_t textureIndex, int32_t ignored, int32_t k)
{
    importScene(modelIndex, 1.0, modelPath);
    glActiveTexture(GL_TEXTURE0);
    GLuint& name = textureEntry(textureIndex);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    createCgContext();
    loadShaderPair(vertexPath, fragmentPath, k);
}

void Renderer::loadScreenShader(const char* path, int32_t k)
{
    createCgContext();
    enableFragmentProfile();
    loadFragmentProgramFile(path, k);
    compileAndLoadFragment(k);
    disableFragmentProfile();
    disableVertexProfile();
}

CGparameter Renderer::lookupParameter(int32_t k, int32_t slot, const char* name)
{
    parameters[k][slot] = cgGetNamedParameter(programs[k], name);
    return parameters[k][slot];
}

void Renderer::bindModelViewProjection(int32_t k, int32_t slot)
{
    cgGLSetStateMatrixParameter(parameters[k][slot], CG_GL_MODELVIEW_PROJECTION_MATRIX, CG_GL_MATRIX_IDENTITY);
}

void Renderer::bindTextureMatrix(int32_t k, int32_t slot)
{
    cgGLSetStateMatrixParameter(parameters[k][slot], CG_GL_TEXTURE_MATRIX, CG_GL_MATRIX_IDENTITY);
}

void Renderer::setParameter3(int32_t k, int32_t slot, float x, float y, float z)
{
    cgGLSetParameter3f(parameters[k][slot], x, y, z);
}

void Renderer::setFloatParameter(int32_t k, const char* name, double value)
{
    cgGLSetParameter1f(lookupParameter(k, 14, name), static_cast<float>(value));
}

void Renderer::bindProgram(int32_t k) { cgGLBindProgram(programs[k]); }

void Renderer::enableVertexProfile() { cgGLEnableProfile(vertexProfile); }

void Renderer::enableFragmentProfile() { cgGLEnableProfile(fragmentProfile); }

void Renderer::disableVertexProfile() { cgGLDisableProfile(vertexProfile); }

void Renderer::disableFragmentProfile()
{
    cgGLDisableProfile(fragmentProfile);
    cgGLUnbindProgram(fragmentProfile);
}

void Renderer::enableShaders()
{
    enableFragmentProfile();
    enableVertexProfile();
}

void Renderer::disableShaders()
{
    disableFragmentProfile();
    disableVertexProfile();
}

void Renderer::bindDecal(int32_t k, int32_t t)
{
    disableVertexProfile();
    disableFragmentProfile();
    enableFragmentProfile();
    bindProgram(k);
    cgGLSetTextureParameter(lookupParameter(k, 7, "decal"), textureEntry(t));
    cgGLEnableTextureParameter(parameters[k][7]);
}

void Renderer::bindDecal2(int32_t k, int32_t t, int32_t t2)
{
    disableVertexProfile();
    enableFragmentProfile();
    bindProgram(k);
    cgGLSetTextureParameter(lookupParameter(k, 7, "decal"), textureEntry(t));
    cgGLEnableTextureParameter(parameters[k][7]);
    cgGLSetTextureParameter(lookupParameter(k, 8, "decal2"), textureEntry(t2));
    cgGLEnableTextureParameter(parameters[k][8]);
}

void Renderer::bindDecal3(int32_t k, int32_t t, int32_t t2, int32_t t3)
{
    bindDecal2(k, t, t2);
    cgGLSetTextureParameter(lookupParameter(k, 9, "decal3"), textureEntry(t3));
    cgGLEnableTextureParameter(parameters[k][9]);
}
