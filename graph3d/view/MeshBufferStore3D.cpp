#include "graph3d/view/MeshBufferStore3D.h"

#include <QOpenGLContext>
#include <algorithm>
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

// Uploads indices at the width the context draws. Narrowed indices all fit: with 16-bit
// indices the capacities keep meshes below 65536 vertices (false, nothing uploaded, otherwise).
bool uploadIndices(QOpenGLFunctions& gl, IndexWidth width, const std::vector<std::uint32_t>& data,
                   GLuint& name) {
    if (width == IndexWidth::Bits32) {
        name = uploaded(gl, GL_ELEMENT_ARRAY_BUFFER, data);
        return true;
    }
    std::vector<std::uint16_t> narrow;
    narrow.reserve(data.size());
    for (const std::uint32_t index : data) {
        if (index > 0xFFFF) {
            return false;
        }
        narrow.push_back(static_cast<std::uint16_t>(index));
    }
    name = uploaded(gl, GL_ELEMENT_ARRAY_BUFFER, narrow);
    return true;
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

IndexWidth MeshBufferStore3D::indexWidthOf(const QOpenGLContext* context) {
    if (context == nullptr) {
        return IndexWidth::Bits16;
    }
    if (!context->isOpenGLES() || context->format().majorVersion() >= 3 ||
        context->hasExtension(QByteArrayLiteral("GL_OES_element_index_uint"))) {
        return IndexWidth::Bits32;
    }
    return IndexWidth::Bits16;
}

MeshBufferStore3D::MeshBufferStore3D()
    : indexWidth_(indexWidthOf(QOpenGLContext::currentContext())) {
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
        buffers.indexType = indexWidth_ == IndexWidth::Bits32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
        if ((!mesh.indices.empty() &&
             !uploadIndices(*this, indexWidth_, mesh.indices, buffers.indexBuffer)) ||
            (!mesh.lineIndices.empty() &&
             !uploadIndices(*this, indexWidth_, mesh.lineIndices, buffers.lineIndexBuffer))) {
            deleteBuffers(buffers);
            return nullptr;
        }
        buffers.vertexBuffer = uploaded(*this, GL_ARRAY_BUFFER, mesh.vertices);
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

void MeshBufferStore3D::retainOnly(const void* viewer,
                                   const std::vector<RVEquation3D*>& equations) {
    // Every frame asks; only a changed list can free anything.
    std::vector<RVEquation3D*>& retained = retained_[viewer];
    if (retained == equations) {
        return;
    }
    retained = equations;
    deleteUnretained();
}

void MeshBufferStore3D::forgetViewer(const void* viewer) {
    if (retained_.erase(viewer) > 0) {
        deleteUnretained();
    }
}

void MeshBufferStore3D::deleteUnretained() {
    const auto drawn = [this](const RVEquation3D* equation) {
        return std::any_of(retained_.begin(), retained_.end(), [equation](const auto& entry) {
            return std::find(entry.second.begin(), entry.second.end(), equation) !=
                   entry.second.end();
        });
    };
    for (auto it = buffers_.begin(); it != buffers_.end();) {
        if (!drawn(it->first)) {
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
