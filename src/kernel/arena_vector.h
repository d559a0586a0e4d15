// The arrays inside the model's objects (map slots, object lists, trace records, branch points,
// links): a vector whose storage comes from the calling thread's arena while one is set (during
// a load) and from the heap otherwise. It remembers which and gives the storage back there.
// Sixteen bytes instead of std::vector's 24; at most 2^31 - 1 elements.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "kernel/arena.h"

namespace tolvi::kernel {

template <class T>
class ArenaVector {
    static_assert(alignof(T) <= 8, "arena pieces are 8-aligned");
    static_assert(std::is_nothrow_move_constructible_v<T>);

public:
    using value_type = T;
    using size_type = size_t;
    using iterator = T*;
    using const_iterator = const T*;
    using reverse_iterator = std::reverse_iterator<T*>;
    using const_reverse_iterator = std::reverse_iterator<const T*>;

    ArenaVector() = default;
    ArenaVector(const ArenaVector& other) { append(other.begin(), other.end()); }
    ArenaVector(ArenaVector&& other) noexcept : p_(other.p_), n_(other.n_), cap_(other.cap_) {
        other.p_ = nullptr;
        other.n_ = other.cap_ = 0;
    }
    ArenaVector& operator=(const ArenaVector& other) {
        if (this != &other) {
            clear();
            append(other.begin(), other.end());
        }
        return *this;
    }
    ArenaVector& operator=(ArenaVector&& other) noexcept {
        if (this != &other) {
            clear();
            drop();
            std::swap(p_, other.p_);
            std::swap(n_, other.n_);
            std::swap(cap_, other.cap_);
        }
        return *this;
    }
    ~ArenaVector() {
        clear();
        drop();
    }

    size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    size_t capacity() const { return cap_ & kCapacity; }
    T* data() { return p_; }
    const T* data() const { return p_; }
    T* begin() { return p_; }
    T* end() { return p_ + n_; }
    const T* begin() const { return p_; }
    const T* end() const { return p_ + n_; }
    reverse_iterator rbegin() { return reverse_iterator(end()); }
    reverse_iterator rend() { return reverse_iterator(begin()); }
    const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
    const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }
    T& operator[](size_t i) { return p_[i]; }
    const T& operator[](size_t i) const { return p_[i]; }
    T& front() { return p_[0]; }
    T& back() { return p_[n_ - 1]; }
    const T& back() const { return p_[n_ - 1]; }

    void reserve(size_t n) {
        if (n > capacity()) move_to(n);
    }
    void clear() {
        std::destroy(begin(), end());
        n_ = 0;
    }
    void resize(size_t n) {
        if (n < n_) {
            std::destroy(begin() + n, end());
        } else {
            reserve(n);
            std::uninitialized_value_construct(end(), begin() + n);
        }
        n_ = uint32_t(n);
    }
    // For elements every byte of which the caller writes next (a load copying them in).
    void resize_for_overwrite(size_t n) {
        static_assert(std::is_trivially_copyable_v<T>);
        reserve(n);
        n_ = uint32_t(n);
    }
    template <class... A>
    T& emplace_back(A&&... args) {
        if (n_ == capacity()) move_to(grown());
        T* e = ::new (static_cast<void*>(end())) T(std::forward<A>(args)...);
        ++n_;
        return *e;
    }
    void push_back(T v) { emplace_back(std::move(v)); }
    void pop_back() {
        --n_;
        std::destroy_at(end());
    }
    T* insert(const T* pos, T v) {
        const size_t at = size_t(pos - begin());
        if (at == n_) return &emplace_back(std::move(v));
        if (n_ == capacity()) move_to(grown());
        ::new (static_cast<void*>(end())) T(std::move(back()));
        ++n_;
        std::move_backward(begin() + at, end() - 2, end() - 1);
        p_[at] = std::move(v);
        return begin() + at;
    }
    T* erase(const T* first, const T* last) {
        T* f = begin() + (first - begin());
        T* l = begin() + (last - begin());
        T* rest = std::move(l, end(), f);
        std::destroy(rest, end());
        n_ = uint32_t(rest - begin());
        return f;
    }
    T* erase(const T* pos) { return erase(pos, pos + 1); }

private:
    static constexpr uint32_t kFromArena = 0x80000000u;
    static constexpr uint32_t kCapacity = 0x7FFFFFFFu;

    size_t grown() const { return std::max<size_t>(4, 2 * capacity()); }

    template <class It>
    void append(It first, It last) {
        reserve(n_ + size_t(std::distance(first, last)));
        for (; first != last; ++first) emplace_back(*first);
    }

    // New storage for n elements, the elements moved into it.
    void move_to(size_t n) {
        if (n > kCapacity) throw std::length_error("ArenaVector");
        bool fromArena = false;
        void* mem = nullptr;
        if (Arena* a = CurrentArena()) mem = a->Allocate(n * sizeof(T));
        if (mem)
            fromArena = true;
        else
            mem = ::operator new(n * sizeof(T));
        T* fresh = static_cast<T*>(mem);
        std::uninitialized_move(begin(), end(), fresh);
        std::destroy(begin(), end());
        drop();
        p_ = fresh;
        cap_ = uint32_t(n) | (fromArena ? kFromArena : 0);
    }
    // Gives the storage back where it came from.
    void drop() {
        if (p_) {
            if (cap_ & kFromArena)
                Arena::Release(p_);
            else
                ::operator delete(p_);
        }
        p_ = nullptr;
        cap_ = 0;
    }

    T* p_ = nullptr;
    uint32_t n_ = 0;
    uint32_t cap_ = 0;  // the capacity, and whether the storage came from an arena
};

}  // namespace tolvi::kernel
