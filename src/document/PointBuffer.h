#pragma once
#include <cstddef>
#include <cstdlib>
#include <new>
#include <span>
#include <type_traits>
#include <utility>

namespace tw {

// The points of one wave in one block of memory from the C library's allocator. A length change
// resizes the block where it lies (the C library remaps the pages of a large block instead of
// copying them), so a wave is never held twice while it grows or shrinks; room added by
// resize() holds no values until they are written.
template <class T> class PointBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

  public:
    using value_type = T;
    PointBuffer() = default;
    ~PointBuffer() { std::free(data_); }
    PointBuffer(PointBuffer&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}
    PointBuffer& operator=(PointBuffer&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = std::exchange(other.data_, nullptr);
            size_ = std::exchange(other.size_, 0);
        }
        return *this;
    }
    PointBuffer(const PointBuffer&) = delete;
    PointBuffer& operator=(const PointBuffer&) = delete;

    // n points, the first min(n, size()) kept; false (nothing changed) when the memory is not
    // there.
    bool resize(std::size_t n) {
        if (n == size_)
            return true;
        if (n == 0) {
            std::free(std::exchange(data_, nullptr));
            size_ = 0;
            return true;
        }
        if (n > static_cast<std::size_t>(-1) / sizeof(T))
            return false;
        void* grown = std::realloc(data_, n * sizeof(T));
        if (!grown)
            return false;
        data_ = static_cast<T*>(grown);
        size_ = n;
        return true;
    }
    // The same with the new points set to value; throws std::bad_alloc as a vector does.
    void resize(std::size_t n, T value) {
        const std::size_t old = size_;
        if (!resize(n))
            throw std::bad_alloc();
        for (std::size_t i = old; i < n; ++i)
            data_[i] = value;
    }
    void assign(std::size_t n, T value) {
        if (!resize(n))
            throw std::bad_alloc();
        for (std::size_t i = 0; i < n; ++i)
            data_[i] = value;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }
    T& operator[](std::size_t i) { return data_[i]; }
    const T& operator[](std::size_t i) const { return data_[i]; }
    std::span<T> span() { return {data_, size_}; }
    std::span<const T> span() const { return {data_, size_}; }

  private:
    T* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace tw
