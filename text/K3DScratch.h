#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

// A buffer of T that only grows, so that steady drawing allocates nothing.
// Growth that fails leaves the buffer as it was and answers false.
template <typename T>
class K3DScratch {
  public:
    bool Ensure(size_t count) {
        if (count <= capacity_) return true;
        T* grown = new (std::nothrow) T[count];
        if (!grown) return false;
        data_.reset(grown);
        capacity_ = count;
        return true;
    }
    T* Data() { return data_.get(); }
    size_t Capacity() const { return capacity_; }

  private:
    std::unique_ptr<T[]> data_;
    size_t capacity_ = 0;
};
