#pragma once

#include <GL/gl.h>

#include "render/MeshSink.h"

// Compiles the mesh builder's walk into display lists: the side strips into the
// tree list, the caps into the stump list (created on the first cut segment).
// Wire Frame mode draws plain colours, Full 3D normals and texture coordinates.
class GLListSink : public grovewright::MeshSink {
public:
    enum class Style { WireFrame, Full3D };

    // The tree list is created only when createTreeList (the skeleton has a level).
    GLListSink(Style style, bool createTreeList, GLuint& treeList, GLuint& stumpList)
        : style_(style), createTreeList_(createTreeList), treeList_(treeList), stumpList_(stumpList) {}
    GLListSink(const GLListSink&) = delete;
    GLListSink& operator=(const GLListSink&) = delete;
    // A build that was stopped leaves a list open: it is closed here.
    ~GLListSink() override;

    void BeginSides(std::size_t sideCount, int division) override;
    void Side(const grovewright::SegmentRings& rings) override;
    void EndSides() override;
    void Cap(const grovewright::Vector3D& centre, const grovewright::Vector3D* top,
             const grovewright::Vector3D& normal, int division) override;
    void EndCaps() override;

private:
    Style style_;
    bool createTreeList_;
    bool compilingTree_ = false;
    bool compilingStump_ = false;
    GLuint& treeList_;
    GLuint& stumpList_;
};
