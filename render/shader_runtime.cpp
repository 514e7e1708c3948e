// shader_runtime.cpp - Cg's calls on separable GLSL programs and one program
// pipeline. See shader_runtime.h for what shader files may rely on.
#include "render/shader_runtime.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/file_bytes.h"

struct CgParameterRecord {
    CgProgramRecord* program = nullptr;
    GLint location = -1;
    GLenum type = 0;
    GLenum textureTarget = 0;  // 0 unless a sampler
    int textureUnit = -1;
    GLuint texture = 0;
};

enum class Stage { None, Vertex, Fragment };

struct CgProgramRecord {
    CgContextRecord* context = nullptr;
    CGprofile profile = CG_PROFILE_UNKNOWN;
    Stage stage = Stage::None;
    std::string path;
    std::string entry;
    std::string source;
    bool sourceRead = false;
    std::vector<std::string> options;
    std::vector<const char*> optionList;  // null-terminated view of options
    bool compileTried = false;
    bool compiled = false;
    GLuint glProgram = 0;
    std::string listing;
    std::map<std::string, std::unique_ptr<CgParameterRecord>> parameters;
};

struct CgContextRecord {
    std::vector<std::unique_ptr<CgProgramRecord>> programs;
    std::string lastListing;
};

namespace {

// Every context lives until the process ends, as the renderer expects.
std::vector<std::unique_ptr<CgContextRecord>> g_contexts;

constexpr int kFragmentSamplerUnits = 0;
constexpr int kVertexSamplerUnits = 8;

struct StageState {
    bool enabled = false;
    CgProgramRecord* bound = nullptr;
};

struct PipelineState {
    StageState vertex;
    StageState fragment;
    GLuint pipeline = 0;
    GLuint nothingVertex = 0;  // stand-ins for programs that failed to compile
    GLuint nothingFragment = 0;
    bool pipelineBound = false;
};
PipelineState g_state;

Stage stageOf(CGprofile profile)
{
    switch (profile) {
    case CG_PROFILE_VP30:
    case CG_PROFILE_ARBVP1:
    case CG_PROFILE_GLSLV:
        return Stage::Vertex;
    case CG_PROFILE_ARBFP1:
    case CG_PROFILE_GLSLF:
        return Stage::Fragment;
    default:
        return Stage::None;
    }
}

StageState* stateOf(Stage stage)
{
    if (stage == Stage::Vertex)
        return &g_state.vertex;
    if (stage == Stage::Fragment)
        return &g_state.fragment;
    return nullptr;
}

bool separateProgramsAvailable()
{
    return glCreateShader && glProgramParameteri && glUseProgramStages && glBindProgramPipeline &&
           glGenProgramPipelines && glProgramUniform1i && glProgramUniform4fv;
}

// The layer keeps the compiler's messages itself; some drivers also report
// them as debug "errors", which they are not.
void quietCompilerMessages(bool quiet)
{
    if (glDebugMessageControl)
        glDebugMessageControl(GL_DEBUG_SOURCE_SHADER_COMPILER, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr,
                              quiet ? GL_FALSE : GL_TRUE);
}

std::string shaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        glGetShaderInfoLog(shader, length, nullptr, log.data());
    return log.c_str();
}

std::string programLog(GLuint program)
{
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        glGetProgramInfoLog(program, length, nullptr, log.data());
    return log.c_str();
}

// One separable program from one shader; 0 when it fails, with the messages in log.
GLuint buildSeparable(GLenum shaderType, const char* source, std::string& log)
{
    quietCompilerMessages(true);
    GLuint program = 0;
    GLuint shader = glCreateShader(shaderType);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    log += shaderLog(shader);
    if (ok) {
        program = glCreateProgram();
        glProgramParameteri(program, GL_PROGRAM_SEPARABLE, GL_TRUE);
        glAttachShader(program, shader);
        glLinkProgram(program);
        glDetachShader(program, shader);
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        log += programLog(program);
        if (!linked) {
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(shader);
    quietCompilerMessages(false);
    return program;
}

GLenum samplerTarget(GLenum type)
{
    switch (type) {
    case GL_SAMPLER_1D:
    case GL_SAMPLER_1D_SHADOW:
        return GL_TEXTURE_1D;
    case GL_SAMPLER_2D:
    case GL_SAMPLER_2D_SHADOW:
        return GL_TEXTURE_2D;
    case GL_SAMPLER_3D:
        return GL_TEXTURE_3D;
    case GL_SAMPLER_CUBE:
        return GL_TEXTURE_CUBE_MAP;
    case GL_SAMPLER_2D_RECT:
        return GL_TEXTURE_RECTANGLE;
    default:
        return 0;
    }
}

int floatComponents(GLenum type)
{
    switch (type) {
    case GL_FLOAT: return 1;
    case GL_FLOAT_VEC2: return 2;
    case GL_FLOAT_VEC3: return 3;
    case GL_FLOAT_VEC4: return 4;
    default: return 0;
    }
}

// Records the program's uniforms and points its samplers at the layer's units.
void collectParameters(CgProgramRecord& program)
{
    GLint count = 0;
    GLint maxLength = 0;
    glGetProgramiv(program.glProgram, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(program.glProgram, GL_ACTIVE_UNIFORM_MAX_LENGTH, &maxLength);
    std::vector<char> nameBuffer(static_cast<size_t>(maxLength > 0 ? maxLength : 1) + 1);
    int nextUnit = program.stage == Stage::Vertex ? kVertexSamplerUnits : kFragmentSamplerUnits;
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program.glProgram, static_cast<GLuint>(i), static_cast<GLsizei>(nameBuffer.size()),
                           nullptr, &size, &type, nameBuffer.data());
        std::string name = nameBuffer.data();
        if (name.compare(0, 3, "gl_") == 0)
            continue;
        GLint location = glGetUniformLocation(program.glProgram, name.c_str());
        if (location < 0)
            continue;  // a member of a uniform block
        if (name.size() > 3 && name.compare(name.size() - 3, 3, "[0]") == 0)
            name.resize(name.size() - 3);
        auto parameter = std::make_unique<CgParameterRecord>();
        parameter->program = &program;
        parameter->location = location;
        parameter->type = type;
        parameter->textureTarget = samplerTarget(type);
        if (parameter->textureTarget != 0) {
            parameter->textureUnit = nextUnit++;
            glProgramUniform1i(program.glProgram, location, parameter->textureUnit);
        }
        program.parameters[name] = std::move(parameter);
    }
}

void compile(CgProgramRecord& program)
{
    if (program.compileTried)
        return;
    program.compileTried = true;
    if (program.stage == Stage::None) {
        program.listing = "profile " + std::to_string(program.profile) + " is not a vertex or fragment profile\n";
    } else if (!program.entry.empty() && program.entry != "main") {
        program.listing = "entry point " + program.entry + " is not main: GLSL starts at main\n";
    } else if (!program.sourceRead) {
        program.listing = "cannot read " + program.path + "\n";
    } else if (!separateProgramsAvailable()) {
        program.listing = "the GL has no separate shader objects\n";
    } else {
        const GLenum type = program.stage == Stage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER;
        program.glProgram = buildSeparable(type, program.source.c_str(), program.listing);
        program.compiled = program.glProgram != 0;
        if (program.compiled)
            collectParameters(program);
    }
    program.context->lastListing = program.listing;
}

// What runs in a stage whose program failed: nothing reaches the screen.
GLuint nothingProgram(Stage stage)
{
    GLuint& program = stage == Stage::Vertex ? g_state.nothingVertex : g_state.nothingFragment;
    if (program == 0) {
        std::string log;
        if (stage == Stage::Vertex)
            program = buildSeparable(GL_VERTEX_SHADER,
                                     "#version 120\n"
                                     "void main() { gl_Position = vec4(0.0, 0.0, 2.0, 1.0); }\n",  // clipped
                                     log);
        else
            program = buildSeparable(GL_FRAGMENT_SHADER, "#version 120\nvoid main() { discard; }\n", log);
    }
    return program;
}

GLuint stageProgram(Stage stage)
{
    StageState& state = *stateOf(stage);
    if (!state.enabled || !state.bound)
        return 0;
    compile(*state.bound);
    return state.bound->compiled ? state.bound->glProgram : nothingProgram(stage);
}

// Puts the enabled stages' programs into the pipeline, or leaves fixed function.
void updatePipeline()
{
    if (!separateProgramsAvailable())
        return;
    const GLuint vertex = stageProgram(Stage::Vertex);
    const GLuint fragment = stageProgram(Stage::Fragment);
    if (vertex == 0 && fragment == 0) {
        if (g_state.pipelineBound)
            glBindProgramPipeline(0);
        g_state.pipelineBound = false;
        return;
    }
    if (g_state.pipeline == 0)
        glGenProgramPipelines(1, &g_state.pipeline);
    glUseProgramStages(g_state.pipeline, GL_VERTEX_SHADER_BIT, vertex);
    glUseProgramStages(g_state.pipeline, GL_FRAGMENT_SHADER_BIT, fragment);
    glBindProgramPipeline(g_state.pipeline);
    g_state.pipelineBound = true;
}

bool usable(CGparameter parameter)
{
    return parameter && parameter->program->compiled && parameter->location >= 0;
}

// Writes the leading count components of a float uniform, keeping the rest.
void setFloats(CGparameter parameter, const float* values, int count)
{
    if (!usable(parameter))
        return;
    const int components = floatComponents(parameter->type);
    if (components == 0)
        return;
    const GLuint program = parameter->program->glProgram;
    float current[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    if (count < components)
        glGetUniformfv(program, parameter->location, current);
    for (int i = 0; i < count && i < components; ++i)
        current[i] = values[i];
    switch (components) {
    case 1: glProgramUniform1fv(program, parameter->location, 1, current); break;
    case 2: glProgramUniform2fv(program, parameter->location, 1, current); break;
    case 3: glProgramUniform3fv(program, parameter->location, 1, current); break;
    default: glProgramUniform4fv(program, parameter->location, 1, current); break;
    }
}

// out = a * b, column-major.
void multiply(const float* a, const float* b, float* out)
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a[k * 4 + row] * b[column * 4 + k];
            out[column * 4 + row] = sum;
        }
}

void transpose(float* m)
{
    for (int row = 0; row < 4; ++row)
        for (int column = row + 1; column < 4; ++column) {
            const float t = m[column * 4 + row];
            m[column * 4 + row] = m[row * 4 + column];
            m[row * 4 + column] = t;
        }
}

// Inverse by cofactors; a singular matrix stays as it is.
void invert(float* m)
{
    double inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
             m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
             m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
             m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
              m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
             m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
             m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
             m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
              m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
             m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
             m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
              m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
              m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
             m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
             m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
              m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
              m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const double det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0)
        return;
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<float>(inv[i] / det);
}

}  // namespace

// --- contexts and programs ---

CGcontext cgCreateContext()
{
    g_contexts.push_back(std::make_unique<CgContextRecord>());
    return g_contexts.back().get();
}

CGprofile cgGLGetLatestProfile(CGGLenum profileClass)
{
    if (profileClass == CG_GL_VERTEX)
        return CG_PROFILE_GLSLV;
    if (profileClass == CG_GL_FRAGMENT)
        return CG_PROFILE_GLSLF;
    return CG_PROFILE_UNKNOWN;
}

CGprogram cgCreateProgramFromFile(CGcontext context, CGenum programType, const char* file, CGprofile profile,
                                  const char* entry, const char** args)
{
    if (!context || !file)
        return nullptr;
    auto program = std::make_unique<CgProgramRecord>();
    program->context = context;
    program->profile = profile;
    program->stage = stageOf(profile);
    program->path = file;
    for (const char** arg = args; arg && *arg; ++arg)
        program->options.emplace_back(*arg);
    for (const std::string& option : program->options)
        program->optionList.push_back(option.c_str());
    program->optionList.push_back(nullptr);

    if (std::FILE* f = openRegularFileStream(file)) {
        char buffer[4096];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            program->source.append(buffer, got);
        program->sourceRead = !std::ferror(f);
        std::fclose(f);
    }
    // Editors on Windows like to start files with a byte-order mark; GLSL does not.
    if (program->source.compare(0, 3, "\xEF\xBB\xBF") == 0)
        program->source.erase(0, 3);
    if (entry)
        program->entry = entry;
    context->programs.push_back(std::move(program));
    return context->programs.back().get();
}

CGbool cgIsProgramCompiled(CGprogram program) { return program && program->compiled ? CG_TRUE : CG_FALSE; }

void cgCompileProgram(CGprogram program)
{
    if (program)
        compile(*program);
}

// --- binding ---

void cgGLEnableProfile(CGprofile profile)
{
    if (StageState* state = stateOf(stageOf(profile))) {
        state->enabled = true;
        updatePipeline();
    }
}

void cgGLDisableProfile(CGprofile profile)
{
    if (StageState* state = stateOf(stageOf(profile))) {
        state->enabled = false;
        updatePipeline();
    }
}

void cgGLLoadProgram(CGprogram program)
{
    if (program)
        compile(*program);
}

void cgGLBindProgram(CGprogram program)
{
    if (!program)
        return;
    if (StageState* state = stateOf(program->stage)) {
        state->bound = program;
        updatePipeline();
    }
}

void cgGLUnbindProgram(CGprofile profile)
{
    if (StageState* state = stateOf(stageOf(profile))) {
        state->bound = nullptr;
        updatePipeline();
    }
}

// --- parameters ---

CGparameter cgGetNamedParameter(CGprogram program, const char* name)
{
    if (!program || !name)
        return nullptr;
    compile(*program);
    auto found = program->parameters.find(name);
    return found == program->parameters.end() ? nullptr : found->second.get();
}

void cgGLSetStateMatrixParameter(CGparameter parameter, CGGLenum matrix, CGGLenum transform)
{
    if (!usable(parameter) || parameter->type != GL_FLOAT_MAT4)
        return;
    float m[16];
    switch (matrix) {
    case CG_GL_MODELVIEW_MATRIX:
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        break;
    case CG_GL_PROJECTION_MATRIX:
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        break;
    case CG_GL_TEXTURE_MATRIX:
        glGetFloatv(GL_TEXTURE_MATRIX, m);
        break;
    case CG_GL_MODELVIEW_PROJECTION_MATRIX: {
        float projection[16];
        float modelView[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
        multiply(projection, modelView, m);
        break;
    }
    default:
        return;
    }
    if (transform == CG_GL_MATRIX_INVERSE || transform == CG_GL_MATRIX_INVERSE_TRANSPOSE)
        invert(m);
    if (transform == CG_GL_MATRIX_TRANSPOSE || transform == CG_GL_MATRIX_INVERSE_TRANSPOSE)
        transpose(m);
    glProgramUniformMatrix4fv(parameter->program->glProgram, parameter->location, 1, GL_FALSE, m);
}

void cgGLSetParameter1f(CGparameter parameter, float x) { setFloats(parameter, &x, 1); }

void cgGLSetParameter3f(CGparameter parameter, float x, float y, float z)
{
    const float values[3] = {x, y, z};
    setFloats(parameter, values, 3);
}

void cgGLSetTextureParameter(CGparameter parameter, GLuint texture)
{
    if (usable(parameter) && parameter->textureTarget != 0)
        parameter->texture = texture;
}

void cgGLEnableTextureParameter(CGparameter parameter)
{
    if (!usable(parameter) || parameter->textureTarget == 0)
        return;
    GLint active = GL_TEXTURE0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + parameter->textureUnit));
    glBindTexture(parameter->textureTarget, parameter->texture);
    glActiveTexture(static_cast<GLenum>(active));
}

// --- queries ---

CGprofile cgGetProgramProfile(CGprogram program) { return program ? program->profile : CG_PROFILE_UNKNOWN; }

const char* const* cgGetProgramOptions(CGprogram program)
{
    static const char* const none[] = {nullptr};
    return program ? program->optionList.data() : none;
}

const char* cgGetLastListing(CGcontext context) { return context ? context->lastListing.c_str() : ""; }

const char* cgGetProgramListing(CGprogram program) { return program ? program->listing.c_str() : ""; }

int cgGetParameterTextureUnit(CGparameter parameter) { return parameter ? parameter->textureUnit : -1; }
