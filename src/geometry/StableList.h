#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace grovewright {

// An append-only list whose elements never move: elements live in chunks that
// are never reallocated, so a pointer to one stays valid until the list is
// cleared. Segments point at their parents this way without a heap block per
// element. Chunks start small and double up to MaxChunk, so short lists stay cheap.
template <typename T, std::size_t MaxChunk = 8192>
class StableList {
public:
    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;
        const_iterator(const std::vector<std::vector<T>>* chunks, std::size_t chunk, std::size_t index)
            : chunks_(chunks), chunk_(chunk), index_(index) {}
        reference operator*() const { return (*chunks_)[chunk_][index_]; }
        pointer operator->() const { return &**this; }
        const_iterator& operator++() {
            if (++index_ == (*chunks_)[chunk_].size()) {
                ++chunk_;
                index_ = 0;
            }
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        bool operator==(const const_iterator& o) const { return chunk_ == o.chunk_ && index_ == o.index_; }
        bool operator!=(const const_iterator& o) const { return !(*this == o); }

    private:
        const std::vector<std::vector<T>>* chunks_ = nullptr;
        std::size_t chunk_ = 0;
        std::size_t index_ = 0;
    };

    StableList() = default;
    StableList(const StableList&) = delete;
    StableList& operator=(const StableList&) = delete;
    StableList(StableList&&) noexcept = default;
    StableList& operator=(StableList&&) noexcept = default;

    template <typename... Args>
    T& Append(Args&&... args) {
        if (chunks_.empty() || chunks_.back().size() == chunks_.back().capacity()) {
            const std::size_t capacity =
                chunks_.empty() ? 16 : std::min(MaxChunk, chunks_.back().capacity() * 2);
            chunks_.emplace_back();
            chunks_.back().reserve(capacity);
        }
        ++size_;
        return chunks_.back().emplace_back(std::forward<Args>(args)...);
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& back() { return chunks_.back().back(); }
    const T& back() const { return chunks_.back().back(); }
    T& front() { return chunks_.front().front(); }
    const T& front() const { return chunks_.front().front(); }

    // Calls f with every element, in order, to change it in place.
    template <typename F>
    void ForEach(F&& f) {
        for (std::vector<T>& chunk : chunks_)
            for (T& element : chunk) f(element);
    }

    const_iterator begin() const { return const_iterator(&chunks_, 0, 0); }
    const_iterator end() const { return const_iterator(&chunks_, chunks_.size(), 0); }

    void clear() {
        chunks_.clear();
        size_ = 0;
    }

private:
    std::vector<std::vector<T>> chunks_;
    std::size_t size_ = 0;
};

}  // namespace grovewright
