#define GL_GLEXT_PROTOTYPES 1
#include "render/gl/GLMesh.h"

#include <GL/glext.h>

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// Buffer objects came with GL 1.5; the view asks for 1.1 only.
bool DriverHasBuffers() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    int major = 0, minor = 0;
    return version && std::sscanf(version, "%d.%d", &major, &minor) == 2 && (major > 1 || (major == 1 && minor >= 5));
}

}  // namespace

GLMesh& GLMesh::operator=(GLMesh&& other) noexcept {
    if (this != &other) {
        Clear();
        Take(other);
    }
    return *this;
}

void GLMesh::Take(GLMesh& other) {
    primitive_ = other.primitive_;
    filling_ = other.filling_;
    count_ = std::exchange(other.count_, 0);
    usesBuffers_ = std::exchange(other.usesBuffers_, false);
    for (int a = 0; a < kArrayCount; ++a) {
        buffers_[a] = std::exchange(other.buffers_[a], 0);
        memory_[a] = std::move(other.memory_[a]);
        other.memory_[a].clear();
    }
}

void GLMesh::Clear() {
    if (usesBuffers_) {
        for (GLuint& buffer : buffers_)
            if (buffer != 0) glDeleteBuffers(1, &buffer);
    }
    for (int a = 0; a < kArrayCount; ++a) {
        buffers_[a] = 0;
        memory_[a] = {};
    }
    count_ = 0;
    usesBuffers_ = false;
}

void GLMesh::Begin(GLenum primitive) {
    static std::uint64_t fillings = 0;
    Clear();
    primitive_ = primitive;
    filling_ = ++fillings;
    usesBuffers_ = DriverHasBuffers();
}

void GLMesh::Store(Array array, const void* data, std::size_t size) {
    if (usesBuffers_) {
        const GLenum target = array == kIndices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
        glGenBuffers(1, &buffers_[array]);
        glBindBuffer(target, buffers_[array]);
        glBufferData(target, static_cast<GLsizeiptr>(size), data, GL_STATIC_DRAW);
        glBindBuffer(target, 0);
    } else {
        memory_[array].resize(size);
        if (size > 0) std::memcpy(memory_[array].data(), data, size);
    }
}

bool GLMesh::Has(Array array) const { return usesBuffers_ ? buffers_[array] != 0 : !memory_[array].empty(); }

const void* GLMesh::At(Array array) const { return usesBuffers_ ? nullptr : memory_[array].data(); }

void GLMesh::StoreTriangles(const grovewright::MeshPart& part) {
    Store(kPositions, part.positions.data(), part.positions.size() * sizeof(float));
    Store(kIndices, part.indices.data(), part.indices.size() * sizeof(std::uint32_t));
    count_ = static_cast<GLsizei>(part.indices.size());
}

void GLMesh::SetTriangles(const grovewright::MeshPart& part) {
    Begin(GL_TRIANGLES);
    if (part.Empty()) return;
    StoreTriangles(part);
    Store(kNormals, part.normals.data(), part.normals.size() * sizeof(float));
    Store(kTextureCoords, part.uvs.data(), part.uvs.size() * sizeof(float));
}

void GLMesh::SetColouredTriangles(const grovewright::MeshPart& part, const float evenColour[3],
                                  const float oddColour[3]) {
    Begin(GL_TRIANGLES);
    if (part.Empty()) return;
    StoreTriangles(part);
    std::vector<float> colours(part.positions.size());
    for (std::size_t at = 0; at < colours.size(); at += 3)
        std::memcpy(&colours[at], at / 3 % 2 == 0 ? evenColour : oddColour, 3 * sizeof(float));
    Store(kColours, colours.data(), colours.size() * sizeof(float));
}

void GLMesh::SetLines(const std::vector<float>& points) {
    Begin(GL_LINES);
    if (points.empty()) return;
    Store(kPositions, points.data(), points.size() * sizeof(float));
    count_ = static_cast<GLsizei>(points.size() / 3);
}

void GLMesh::Draw() const {
    if (count_ == 0) return;
    auto bind = [&](Array array) {
        if (usesBuffers_) glBindBuffer(array == kIndices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER, buffers_[array]);
    };
    bind(kPositions);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, At(kPositions));
    if (Has(kNormals)) {
        bind(kNormals);
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, At(kNormals));
    }
    if (Has(kTextureCoords)) {
        bind(kTextureCoords);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, 0, At(kTextureCoords));
    }
    if (Has(kColours)) {
        bind(kColours);
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(3, GL_FLOAT, 0, At(kColours));
    }
    if (Has(kIndices)) {
        bind(kIndices);
        glDrawElements(primitive_, count_, GL_UNSIGNED_INT, At(kIndices));
    } else {
        glDrawArrays(primitive_, 0, count_);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    if (usesBuffers_) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}
