#pragma once
// A page-aligned block of memory for the line reader and the writer.
//
// The kernel copies into a destination that starts on a cache line about
// twice as fast as into one that does not, so the buffers that read(2) fills
// and write(2) empties start on a page; the reader and the writer then keep
// each transfer in step with that alignment.

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

namespace seq {

class Buffer {
  public:
    static constexpr std::size_t alignment = 4096;

    Buffer() = default;
    explicit Buffer(std::size_t size) : data_(allocate(size)), size_(size) {}

    char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

    // Changes the size to `size` bytes, keeping the first `keep` of them.
    void resize(std::size_t size, std::size_t keep) {
        Buffer bigger(size);
        std::memcpy(bigger.data(), data(), std::min({keep, size, size_}));
        *this = std::move(bigger);
    }

  private:
    struct Release {
        void operator()(char* block) const {
            ::operator delete (block, std::align_val_t{alignment});
        }
    };

    static char* allocate(std::size_t size) {
        return static_cast<char*>(
            ::operator new (std::max<std::size_t>(size, 1), std::align_val_t{alignment}));
    }

    std::unique_ptr<char[], Release> data_;
    std::size_t size_ = 0;
};

} // namespace seq
