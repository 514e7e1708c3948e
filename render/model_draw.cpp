// model_draw.cpp - drawing the two kinds of geometry: OBJ meshes as flat-shaded
// quads (recorded once into a display list), and 3DS models as indexed
// triangles from client-side arrays, placed through the texture matrix.
#include <algorithm>
#include <cmath>

#include "assets/l3ds/l3ds.h"
#include "assets/obj_mesh.h"
#include "base/vector_math.h"
#include "render/renderer.h"

namespace {

// Normal of a face, its dominant axis pushed a little further so that faces
// facing mostly one way shade a touch more decisively.
Vec3 emphasisedNormal(const ObjFace& face)
{
    Vec3 e1 = sub(face.corners[2], face.corners[1]);
    Vec3 e2 = sub(face.corners[0], face.corners[1]);
    normalize(e1);
    normalize(e2);
    Vec3 n = cross(e2, e1);
    const auto dominates = [](float a, float b, float c) { return std::fabs(a) > std::fabs(b) && std::fabs(a) > std::fabs(c); };
    if (dominates(n.x, n.y, n.z))
        n.x *= 1.4f;
    if (dominates(n.y, n.x, n.z))
        n.y *= 1.4f;
    if (dominates(n.z, n.x, n.y))
        n.z *= 1.4f;
    normalize(n);
    return scale(n, -1.0f);
}

// A sampler given no texture (a mesh without a normal map) reads black,
// (0, 0, 0, 1), as from an incomplete texture. A 1x1 black RGB texture with
// the game's linear filtering reads the same and gives the draw the sampler
// state of the meshes that have an RGB map there, so the GL driver shades
// both with one compiled program instead of compiling a second.
GLuint blackTexture(Renderer& r)
{
    if (r.blackTexture == 0) {
        GLint bound = 0;
        GLint alignment = 4;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glGenTextures(1, &r.blackTexture);
        glBindTexture(GL_TEXTURE_2D, r.blackTexture);
        r.setLinearFiltering();
        const uint8_t black[3] = {0, 0, 0};
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    }
    return r.blackTexture;
}

void setSampler(Renderer& r, int32_t program, int32_t slot, const char* name, GLuint texture)
{
    const CGparameter parameter = r.lookupParameter(program, slot, name);
    cgGLSetTextureParameter(parameter, texture != 0 ? texture : blackTexture(r));
    cgGLEnableTextureParameter(parameter);
}

constexpr double RADIANS_TO_DEGREES = 180.0 / 3.14159265358979323846;

}  // namespace

void Renderer::drawFaceList(const std::vector<ObjFace>& faces)
{
    glBegin(GL_QUADS);
    for (const ObjFace& face : faces) {
        const Vec3 n = emphasisedNormal(face);
        glNormal3f(n.x, n.y, n.z);
        for (const Vec3& p : face.corners)
            glVertex3f(p.x, p.y, p.z);
    }
    glEnd();
}

void Renderer::drawMesh(ObjMesh& mesh)
{
    const bool listed = mesh.listId >= 0;
    if (listed && !mesh.needsCompile) {
        glCallList(static_cast<GLuint>(mesh.listId));
        return;
    }
    if (listed)
        glNewList(static_cast<GLuint>(mesh.listId), GL_COMPILE_AND_EXECUTE);
    for (const std::vector<ObjFace>& faces : mesh.objects)
        drawFaceList(faces);
    if (listed) {
        glEndList();
        mesh.needsCompile = false;
    }
}

void Renderer::drawModel(int32_t modelIndex, int32_t mode, const double& time, GLuint textureA, GLuint textureB,
                         int32_t k)
{
    // Start from a known client state.
    glClientActiveTexture(GL_TEXTURE1);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glClientActiveTexture(GL_TEXTURE0);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    glEnableClientState(GL_VERTEX_ARRAY);
    if (mode & 1) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnable(GL_LIGHTING);
    }
    if (mode & 2) {
        glClientActiveTexture(GL_TEXTURE1);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glClientActiveTexture(GL_TEXTURE0);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        setSampler(*this, k + 1, 7, "decal", textureA);
        setSampler(*this, k + 1, 9, "light", textureB);
    }

    // Index 0 and below name no model: the callers number theirs from 1.
    if (modelIndex > 0 && modelIndex < MAX_MODELS && models[modelIndex]) {
        L3DS& scene = *models[modelIndex];
        for (int32_t i = 0; i < scene.getMeshCount(); ++i) {
            const LMesh& mesh = scene.getMesh(i);
            if (mesh.getVertexCount() == 0 || mesh.getTriangleCount() == 0)
                continue;

            if ((mode & 4) && mesh.getMaterialCount() > 0 && scene.getMeshTextureIndex(i) >= 0) {
                const int32_t t = scene.getMeshTextureIndex(i) + (modelIndex + 1000) * 100;
                if (t >= 100000) {
                    setSampler(*this, k + 1, 8, "texture", textureEntry(t + 50));
                    setSampler(*this, k + 1, 9, "texture2", textureEntry(t));
                }
            }

            glVertexPointer(3, GL_FLOAT, 0, &mesh.getVertex(0));
            if (mode & 2) {
                glClientActiveTexture(GL_TEXTURE0);
                glTexCoordPointer(2, GL_FLOAT, 0, &mesh.getUV(0));
            }
            if (mode & 1) {
                glNormalPointer(GL_FLOAT, 0, &mesh.getNormal(0));
                glClientActiveTexture(GL_TEXTURE1);
                glTexCoordPointer(3, GL_FLOAT, 0, &mesh.getTextureSpace(0));
                glClientActiveTexture(GL_TEXTURE0);
            }

            // The placement goes to the vertex program through the texture
            // matrix; the model-view matrix keeps the camera alone.
            const LNodeTransform node = scene.getMeshTransform(i, static_cast<float>(time));
            glPushMatrix();
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glRotated(modelAngle, modelAxis.x, modelAxis.y, modelAxis.z);
            glTranslatef(node.position.x, node.position.y, node.position.z);
            glRotated(node.rotation.angle * RADIANS_TO_DEGREES, node.rotation.x, node.rotation.y, node.rotation.z);
            glRotated(node.secondRotation.angle * RADIANS_TO_DEGREES, node.secondRotation.x, node.secondRotation.y,
                      node.secondRotation.z);
            glTranslatef(node.pivot.x, node.pivot.y, node.pivot.z);
            glScalef(modelScale.x, modelScale.y, modelScale.z);
            bindTextureMatrix(k, 14);
            glMatrixMode(GL_MODELVIEW);
            glPopMatrix();

            // A fraction above 1 must not read past the index array.
            const double fraction = std::clamp(static_cast<double>(drawnFraction), 0.0, 1.0);
            const auto count = static_cast<GLsizei>(mesh.getTriangleCount() * fraction * 3.0);
            glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, &mesh.getTriangle(0));
        }
    }

    for (GLenum unit : {GL_TEXTURE2, GL_TEXTURE1, GL_TEXTURE0}) {
        glClientActiveTexture(unit);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glPushMatrix();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
