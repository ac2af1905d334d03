// Room for the decoded values of one file's findings. A value is copied in once and stays where
// it was put until the room is emptied, so readings view it instead of each holding a string of
// its own: a page of a thousand links costs a few allocations instead of a thousand, and the
// memory goes back at once when the findings are let go.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace urlsmith {

class ValueStore {
 public:
  ValueStore() = default;
  ValueStore(ValueStore&&) noexcept = default;
  ValueStore& operator=(ValueStore&&) noexcept = default;
  ValueStore(const ValueStore&) = delete;
  ValueStore& operator=(const ValueStore&) = delete;

  // A lasting copy of text.
  std::string_view Keep(std::string_view text) {
    if (text.empty()) return {};
    if (chunks_.empty() || text.size() > capacity_ - used_) Grow(text.size());
    char* at = chunks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return {at, text.size()};
  }

  // Forgets every value. A room of one small chunk is kept for the next file.
  void Clear() {
    if (chunks_.size() > 1 || capacity_ > kKeptChunk) {
      chunks_.clear();
      capacity_ = 0;
    }
    used_ = 0;
  }

  // Buffers the readers fill before a value is kept; reused from value to value.
  std::string Raw;
  std::string Decoded;

 private:
  static constexpr std::size_t kFirstChunk = 1024;
  static constexpr std::size_t kKeptChunk = 16 * 1024;
  static constexpr std::size_t kLargestChunk = 256 * 1024;

  void Grow(std::size_t need) {
    // Each chunk twice the last, up to a limit; a larger value gets one of its own size.
    const std::size_t next = chunks_.empty() ? kFirstChunk : std::min(2 * capacity_, kLargestChunk);
    capacity_ = std::max(next, need);
    chunks_.push_back(std::make_unique_for_overwrite<char[]>(capacity_));
    used_ = 0;
  }

  std::vector<std::unique_ptr<char[]>> chunks_;
  std::size_t capacity_ = 0;  // of the last chunk
  std::size_t used_ = 0;      // of the last chunk
};

}  // namespace urlsmith
