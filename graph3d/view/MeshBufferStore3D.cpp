#include "graph3d/view/MeshBufferStore3D.h"

#include <QOpenGLContext>
#include <map>

#include "graph3d/RVEquation3D.h"

namespace plotwise {

namespace {

template <typename T>
GLuint uploaded(QOpenGLFunctions& gl, GLenum target, const std::vector<T>& data) {
    GLuint name = 0;
    gl.glGenBuffers(1, &name);
    gl.glBindBuffer(target, name);
    gl.glBufferData(target, static_cast<GLsizeiptr>(data.size() * sizeof(T)), data.data(),
                    GL_STATIC_DRAW);
    gl.glBindBuffer(target, 0);
    return name;
}

// Implicit and inequality meshes list each triangle's own three vertices in order.
bool trianglesShareNoVertices(const Mesh3D& mesh) {
    if (mesh.indices.size() != mesh.vertices.size() || mesh.vertices.size() % 3 != 0) {
        return false;
    }
    for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
        if (mesh.indices[i] != i) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::shared_ptr<MeshBufferStore3D> MeshBufferStore3D::forCurrentContext() {
    static std::map<const QOpenGLContextGroup*, std::weak_ptr<MeshBufferStore3D>> stores;
    const QOpenGLContextGroup* group = QOpenGLContextGroup::currentContextGroup();
    std::shared_ptr<MeshBufferStore3D> store = stores[group].lock();
    if (!store) {
        store = std::make_shared<MeshBufferStore3D>();
        stores[group] = store;
    }
    return store;
}

MeshBufferStore3D::MeshBufferStore3D() {
    initializeOpenGLFunctions();
}

const MeshBuffers3D* MeshBufferStore3D::buffersFor(RVEquation3D& equation) {
    if (equation.invalidVBO()) {
        equation.setInvalidVBO(false);
        const Mesh3D mesh = equation.takeMesh();
        auto found = buffers_.find(&equation);
        if (found != buffers_.end()) {
            deleteBuffers(found->second);
            buffers_.erase(found);
        }
        if (mesh.empty()) {
            return nullptr;
        }
        MeshBuffers3D buffers;
        buffers.vertexBuffer = uploaded(*this, GL_ARRAY_BUFFER, mesh.vertices);
        if (!mesh.indices.empty()) {
            buffers.indexBuffer = uploaded(*this, GL_ELEMENT_ARRAY_BUFFER, mesh.indices);
        }
        if (!mesh.lineIndices.empty()) {
            buffers.lineIndexBuffer = uploaded(*this, GL_ELEMENT_ARRAY_BUFFER, mesh.lineIndices);
        }
        if (trianglesShareNoVertices(mesh)) {
            std::vector<float> lit;
            lit.reserve(mesh.vertices.size() * 3);
            for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
                const MeshVertex& last = mesh.vertices[i / 3 * 3 + 2];
                lit.insert(lit.end(), {last.x, last.y, last.z});
            }
            buffers.litPositionBuffer = uploaded(*this, GL_ARRAY_BUFFER, lit);
        }
        buffers.indexCount = static_cast<GLsizei>(mesh.indices.size());
        buffers.lineIndexCount = static_cast<GLsizei>(mesh.lineIndices.size());
        ++uploads_;
        return &(buffers_[&equation] = buffers);
    }
    const auto found = buffers_.find(&equation);
    return found != buffers_.end() ? &found->second : nullptr;
}

void MeshBufferStore3D::retainOnly(const std::vector<RVEquation3D*>& equations) {
    for (auto it = buffers_.begin(); it != buffers_.end();) {
        if (std::find(equations.begin(), equations.end(), it->first) == equations.end()) {
            deleteBuffers(it->second);
            it = buffers_.erase(it);
        } else {
            ++it;
        }
    }
}

void MeshBufferStore3D::releaseAll() {
    for (auto& [equation, buffers] : buffers_) {
        deleteBuffers(buffers);
    }
    buffers_.clear();
}

void MeshBufferStore3D::deleteBuffers(MeshBuffers3D& buffers) {
    for (GLuint* name : {&buffers.vertexBuffer, &buffers.indexBuffer, &buffers.lineIndexBuffer,
                         &buffers.litPositionBuffer}) {
        if (*name != 0) {
            glDeleteBuffers(1, name);
            *name = 0;
        }
    }
}

}  // namespace plotwise
