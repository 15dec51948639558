#include "geometry/LeafPolygon.h"

#include <algorithm>
#include <cstring>

namespace grovewright {

LeafPolygon LeafList::Append(std::int32_t vertexCount, std::int32_t primitiveMode, std::uint32_t colour) {
    const std::int32_t count = vertexCount > 0 ? vertexCount : 0;
    const std::size_t first = vertexCount_;
    if (first + count > vertexCapacity_) Grow(std::max<std::size_t>(2 * vertexCapacity_, first + count));
    vertexCount_ += static_cast<std::size_t>(count);
    polygons_.push_back({first, count, primitiveMode, colour});
    return (*this)[polygons_.size() - 1];
}

void LeafList::AppendUnwritten(std::size_t polygons, std::size_t vertices) {
    if (vertexCount_ + vertices > vertexCapacity_) Grow(vertexCount_ + vertices);
    vertexCount_ += vertices;
    polygons_.resize(polygons_.size() + polygons);
}

LeafPolygon LeafList::operator[](std::size_t i) const {
    const Entry& entry = polygons_[i];
    return LeafPolygon(entry.count > 0 ? vertices_.get() + entry.first : nullptr, entry.count, entry.mode,
                       entry.colour);
}

void LeafList::Grow(std::size_t capacity) {
    std::unique_ptr<LeafVertex[]> grown(new LeafVertex[capacity]);
    if (vertexCount_ > 0) std::memcpy(grown.get(), vertices_.get(), vertexCount_ * sizeof(LeafVertex));
    vertices_ = std::move(grown);
    vertexCapacity_ = capacity;
}

}  // namespace grovewright
