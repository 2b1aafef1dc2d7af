// PieceText: the bytes of one piece, appended one at a time by the read loop.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace kfio {

// A growable byte buffer whose append is one compare and one store, so the
// per-byte path stays inline. Room for a NUL is always kept, so c_str()
// never reallocates. The capacity outlives clear(): a reader's pieces reuse it.
// The bytes are char8_t, which unlike char may not alias other objects: the
// reader's counters stay in registers across an append.
class PieceText {
 public:
  void push_back(char c) {
    if (size_ + 1 >= capacity_) Grow();
    data_[size_++] = static_cast<char8_t>(c);
  }
  void append(const char* bytes, std::size_t n) {
    while (size_ + n >= capacity_) Grow();
    std::memcpy(data_.get() + size_, bytes, n);
    size_ += n;
  }
  void clear() { size_ = 0; }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  const char* c_str() const {
    if (!data_) return "";
    data_[size_] = u8'\0';
    return reinterpret_cast<const char*>(data_.get());
  }
  std::string_view view() const { return {reinterpret_cast<const char*>(data_.get()), size_}; }
  bool operator==(std::string_view text) const { return view() == text; }
  // Gives the memory back (after a call that built a very long piece).
  void Release() {
    data_.reset();
    size_ = capacity_ = 0;
  }

 private:
  void Grow() {
    const std::size_t capacity = capacity_ == 0 ? 64 : capacity_ * 2;
    auto bigger = std::make_unique<char8_t[]>(capacity);
    if (size_ != 0) std::memcpy(bigger.get(), data_.get(), size_);
    data_ = std::move(bigger);
    capacity_ = capacity;
  }

  std::unique_ptr<char8_t[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace kfio
