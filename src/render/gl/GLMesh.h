#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "render/ModelSink.h"

// A mesh the view draws from vertex arrays: positions, normals and texture
// coordinates (or colours) with indexed triangles, or plain line pairs. The
// arrays live in GL buffer objects where a hardware driver has them (shared by
// the contexts that share this one's lists); otherwise the mesh keeps the
// arrays it was given and draws them as client arrays, without a copy.
// Making, filling, drawing and destroying one needs a current GL context.
class GLMesh {
public:
    GLMesh() = default;
    GLMesh(const GLMesh&) = delete;
    GLMesh& operator=(const GLMesh&) = delete;
    GLMesh(GLMesh&& other) noexcept { Take(other); }
    GLMesh& operator=(GLMesh&& other) noexcept;
    ~GLMesh() { Clear(); }

    // The part's triangles, drawn lit and textured. The parts are taken: move
    // in a part that is not needed any more.
    void SetTriangles(grovewright::MeshPart part);
    // The part's triangles in plain colours: even vertices (a side strip's
    // bottom ring) in one, odd ones (its top ring) in the other.
    void SetColouredTriangles(grovewright::MeshPart part, const float evenColour[3], const float oddColour[3]);
    // Hands the triangles set last back, emptying the mesh, when it keeps them
    // as client arrays; false (nothing changes) when it has none to hand back.
    bool TakePart(grovewright::MeshPart& part);
    // Lines between points 2 k and 2 k + 1 (x, y, z each), drawn in the current colour.
    void SetLines(std::vector<float> points);

    // Whether meshes filled from now on use buffer objects on a software
    // renderer too (where the driver has them): both ways draw the same pixels.
    static void SetBuffersOnSoftwareRenderers(bool on) { buffersOnSoftware_ = on; }

    void Draw() const;
    bool Empty() const { return count_ == 0; }
    // The least x of the triangles' positions, as their part's box gave it.
    float Left() const { return left_; }
    bool UsesBuffers() const { return usesBuffers_; }
    // Tells this filling from every other of any mesh: it changes whenever the arrays are set.
    std::uint64_t Filling() const { return filling_; }
    void Clear();

private:
    enum Array { kPositions, kNormals, kTextureCoords, kColours, kIndices, kArrayCount };
    // Takes the part and stores its positions and triangles.
    void StoreTriangles(grovewright::MeshPart&& part);
    // Puts the array's elements into its buffer, or keeps where they are in
    // the mesh's own arrays for drawing from there.
    template <typename Elements>
    void Store(Array array, const Elements& elements);
    // With buffer objects the mesh's own arrays are not needed after storing.
    void ReleaseStored();
    // Where the array starts, as the pointer functions take it.
    const void* At(Array array) const;
    bool Has(Array array) const;
    void Take(GLMesh& other);

    // Clears the mesh and starts a filling of the primitive.
    void Begin(GLenum primitive);

    static inline bool buffersOnSoftware_ = false;
    // Whether buffer objects pay with the current context's driver.
    static bool BuffersPay();

    GLenum primitive_ = GL_TRIANGLES;
    std::uint64_t filling_ = 0;
    GLsizei count_ = 0;  // indices of triangles, points of lines
    float left_ = 0;
    bool usesBuffers_ = false;
    // The colours are the part's bytes (red, green, blue, alpha), else colours_'s floats.
    bool colourBytes_ = false;
    GLuint buffers_[kArrayCount] = {};
    // The arrays drawn from without buffer objects, and where each starts.
    grovewright::MeshPart part_;
    std::vector<float> colours_, lines_;
    const void* client_[kArrayCount] = {};
};
