#define GL_GLEXT_PROTOTYPES 1
#include "render/gl/GLMesh.h"

#include <GL/glext.h>

#include <cstdio>
#include <cstring>
#include <utility>

// Buffer objects came with GL 1.5; the view asks for 1.1 only. A renderer that
// draws on the processor keeps buffers in the program's memory anyway: there a
// buffer is only a copy of every mesh, made again at every edit.
bool GLMesh::BuffersPay() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    int major = 0, minor = 0;
    if (!version || !renderer || std::sscanf(version, "%d.%d", &major, &minor) != 2 || (major == 1 && minor < 5))
        return false;
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer"})
        if (std::strstr(renderer, software)) return buffersOnSoftware_;
    return true;
}

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
    left_ = other.left_;
    usesBuffers_ = std::exchange(other.usesBuffers_, false);
    colourBytes_ = other.colourBytes_;
    // Moved arrays keep their elements where they are: the starts stay right.
    part_ = std::move(other.part_);
    colours_ = std::move(other.colours_);
    lines_ = std::move(other.lines_);
    for (int a = 0; a < kArrayCount; ++a) {
        buffers_[a] = std::exchange(other.buffers_[a], 0);
        client_[a] = std::exchange(other.client_[a], nullptr);
    }
    other.ReleaseStored();
}

void GLMesh::Clear() {
    if (usesBuffers_) {
        for (GLuint& buffer : buffers_)
            if (buffer != 0) glDeleteBuffers(1, &buffer);
    }
    for (int a = 0; a < kArrayCount; ++a) {
        buffers_[a] = 0;
        client_[a] = nullptr;
    }
    ReleaseStored();
    count_ = 0;
    usesBuffers_ = false;
    colourBytes_ = false;
}

void GLMesh::ReleaseStored() {
    part_ = {};
    colours_ = {};
    lines_ = {};
}

void GLMesh::Begin(GLenum primitive) {
    static std::uint64_t fillings = 0;
    Clear();
    primitive_ = primitive;
    filling_ = ++fillings;
    usesBuffers_ = BuffersPay();
}

template <typename Elements>
void GLMesh::Store(Array array, const Elements& elements) {
    if (!usesBuffers_) {
        client_[array] = elements.data();
        return;
    }
    const GLenum target = array == kIndices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER;
    glGenBuffers(1, &buffers_[array]);
    glBindBuffer(target, buffers_[array]);
    glBufferData(target, static_cast<GLsizeiptr>(elements.size() * sizeof(elements[0])), elements.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(target, 0);
}

bool GLMesh::Has(Array array) const { return usesBuffers_ ? buffers_[array] != 0 : client_[array] != nullptr; }

const void* GLMesh::At(Array array) const { return usesBuffers_ ? nullptr : client_[array]; }

void GLMesh::StoreTriangles(grovewright::MeshPart&& part) {
    part_ = std::move(part);
    left_ = part_.minimum[0];
    Store(kPositions, part_.positions);
    Store(kIndices, part_.indices);
    count_ = static_cast<GLsizei>(part_.indices.size());
}

void GLMesh::SetTriangles(grovewright::MeshPart part) {
    Begin(GL_TRIANGLES);
    if (part.Empty()) return;
    StoreTriangles(std::move(part));
    Store(kNormals, part_.normals);
    Store(kTextureCoords, part_.uvs);
    // Leaves of their own colours: the texture is lit and multiplied by them.
    if (!part_.colours.empty()) {
        Store(kColours, part_.colours);
        colourBytes_ = true;
    }
    if (usesBuffers_) ReleaseStored();
}

void GLMesh::SetColouredTriangles(grovewright::MeshPart part, const float evenColour[3], const float oddColour[3]) {
    Begin(GL_TRIANGLES);
    if (part.Empty()) return;
    StoreTriangles(std::move(part));
    part_.normals = {}, part_.uvs = {};  // plain colours need neither
    colours_.resize(part_.positions.size());
    for (std::size_t at = 0; at < colours_.size(); at += 3)
        std::memcpy(&colours_[at], at / 3 % 2 == 0 ? evenColour : oddColour, 3 * sizeof(float));
    Store(kColours, colours_);
    colourBytes_ = false;
    if (usesBuffers_) ReleaseStored();
}

bool GLMesh::TakePart(grovewright::MeshPart& part) {
    if (usesBuffers_ || count_ == 0 || primitive_ != GL_TRIANGLES) return false;
    part = std::move(part_);
    Clear();
    return true;
}

void GLMesh::SetLines(std::vector<float> points) {
    Begin(GL_LINES);
    if (points.empty()) return;
    lines_ = std::move(points);
    Store(kPositions, lines_);
    count_ = static_cast<GLsizei>(lines_.size() / 3);
    if (usesBuffers_) ReleaseStored();
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
        if (colourBytes_)
            glColorPointer(4, GL_UNSIGNED_BYTE, 0, At(kColours));
        else
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
    // The current colour is undefined after drawing from a colour array; the
    // view's textured meshes expect white.
    if (Has(kColours) && colourBytes_) glColor4ub(255, 255, 255, 255);
    if (usesBuffers_) {
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
}
