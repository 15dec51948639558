#include "render/gl/GLListSink.h"

using grovewright::Vector3D;

namespace {

void Vertex(const Vector3D& p) { glVertex3d(p.x, p.y, p.z); }

}  // namespace

GLListSink::~GLListSink() {
    if (compilingTree_ || compilingStump_) glEndList();
}

void GLListSink::BeginSides(std::size_t, int) {
    if (!createTreeList_) return;
    treeList_ = glGenLists(1);
    glNewList(treeList_, GL_COMPILE);
    compilingTree_ = true;
}

void GLListSink::Side(const grovewright::SegmentRings& rings) {
    const int n = rings.division;
    glBegin(GL_TRIANGLE_STRIP);
    for (int l = 0; l <= n; ++l) {
        if (style_ == Style::WireFrame) {
            glColor3fv(grovewright::kWireBottomColour);
            Vertex(rings.bottom[l]);
            glColor3fv(grovewright::kWireTopColour);
            Vertex(rings.top[l]);
        } else {
            const double u = grovewright::RingTextureU(l, n);
            glNormal3fv(&rings.normals[6 * l]);
            glTexCoord2d(u, 0);
            Vertex(rings.bottom[l]);
            glNormal3fv(&rings.normals[6 * l + 3]);
            glTexCoord2d(u, 1);
            Vertex(rings.top[l]);
        }
    }
    glEnd();
}

void GLListSink::EndSides() {
    if (compilingTree_) glEndList();
    compilingTree_ = false;
}

void GLListSink::Cap(const Vector3D& centre, const Vector3D* top, const Vector3D& normal, int n) {
    if (stumpList_ == 0) {
        stumpList_ = glGenLists(1);
        glNewList(stumpList_, GL_COMPILE);
        compilingStump_ = true;
    }
    if (!compilingStump_) return;
    glBegin(GL_TRIANGLE_FAN);
    if (style_ == Style::WireFrame) {
        glColor3fv(grovewright::kWireTopColour);
        Vertex(centre);
        for (int m = 0; m <= n; ++m) {
            glColor3fv(grovewright::kWireTopColour);
            Vertex(top[m]);
        }
    } else {
        glNormal3d(normal.x, normal.y, normal.z);
        glTexCoord2d(0.5, 0.5);
        Vertex(centre);
        for (int m = n; m >= 0; --m) {
            double u, v;
            grovewright::CapTextureCoord(m, n, u, v);
            glNormal3d(normal.x, normal.y, normal.z);
            glTexCoord2d(u, v);
            Vertex(top[m]);
        }
    }
    glEnd();
}

void GLListSink::EndCaps() {
    if (compilingStump_) glEndList();
    compilingStump_ = false;
}
