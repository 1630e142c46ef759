#pragma once

#include <QOpenGLFunctions>
#include <memory>
#include <unordered_map>
#include <vector>

#include "graph3d/MeshCapacities3D.h"

class QOpenGLContext;

namespace plotwise {

class RVEquation3D;

// The graphics-memory copy of one equation's mesh: interleaved positions and normals, triangle
// and line indices, and for meshes whose triangles share no vertices (implicit and inequality
// meshes) each vertex's triangle's last position, where flat shading lights it.
struct MeshBuffers3D {
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint lineIndexBuffer = 0;
    GLuint litPositionBuffer = 0;
    GLsizei indexCount = 0;
    GLsizei lineIndexCount = 0;
    // GL_UNSIGNED_INT, or GL_UNSIGNED_SHORT where only 16-bit indices exist.
    GLenum indexType = GL_UNSIGNED_SHORT;
};

// The uploaded meshes of every 3D view whose context is in one share group, so a mirror draws
// the buffers the main view uploaded. Every call needs a current context of that group.
class MeshBufferStore3D : protected QOpenGLFunctions {
public:
    // The store of the current context's share group, made on first use.
    static std::shared_ptr<MeshBufferStore3D> forCurrentContext();
    // 32-bit indices on desktop OpenGL, OpenGL ES 3, and ES 2 with OES_element_index_uint.
    static IndexWidth indexWidthOf(const QOpenGLContext* context);

    MeshBufferStore3D();
    MeshBufferStore3D(const MeshBufferStore3D&) = delete;
    MeshBufferStore3D& operator=(const MeshBufferStore3D&) = delete;

    // Uploads the equation's new client mesh, if any (freeing the client copy; the previous
    // buffers stay drawable until then), and returns its buffers; null when there is nothing to
    // draw. Call only when the equation is not calculating.
    const MeshBuffers3D* buffersFor(RVEquation3D& equation);
    // `viewer` now draws exactly `equations`: deletes the buffers of every equation that no
    // viewer of the group draws any more (removed ones). A viewer with no equations yet (a
    // mirror being made) must not take the buffers of the others with it, since their client
    // meshes were freed on upload.
    void retainOnly(const void* viewer, const std::vector<RVEquation3D*>& equations);
    // The viewer is gone: what only it drew goes too.
    void forgetViewer(const void* viewer);
    void releaseAll();
    // Uploads so far, for tests and benchmarks.
    int uploadCount() const { return uploads_; }

private:
    void deleteBuffers(MeshBuffers3D& buffers);
    void deleteUnretained();

    std::unordered_map<const RVEquation3D*, MeshBuffers3D> buffers_;
    std::unordered_map<const void*, std::vector<RVEquation3D*>> retained_;
    IndexWidth indexWidth_ = IndexWidth::Bits16;
    int uploads_ = 0;
};

}  // namespace plotwise
