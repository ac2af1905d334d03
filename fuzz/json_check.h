// A strict JSON checker: the grammar of RFC 8259 over well-formed UTF-8 text.
#pragma once

#include <cstddef>
#include <string_view>

namespace urlsmith::fuzzing {

class JsonChecker {
 public:
  explicit JsonChecker(std::string_view text) : s_(text) {}

  // Whether the text is exactly one JSON value with blanks around it.
  bool Valid() {
    Space();
    if (!Value(0)) return false;
    Space();
    return i_ == s_.size();
  }

 private:
  static constexpr int kMaxDepth = 64;

  bool Value(int depth) {
    if (i_ >= s_.size() || depth > kMaxDepth) return false;
    switch (s_[i_]) {
      case '{':
        return Members(depth + 1);
      case '[':
        return Elements(depth + 1);
      case '"':
        return String();
      case 't':
        return Word("true");
      case 'f':
        return Word("false");
      case 'n':
        return Word("null");
      default:
        return Number();
    }
  }
  bool Members(int depth) {
    ++i_;
    Space();
    if (Eat('}')) return true;
    do {
      Space();
      if (!String()) return false;
      Space();
      if (!Eat(':')) return false;
      Space();
      if (!Value(depth)) return false;
      Space();
    } while (Eat(','));
    return Eat('}');
  }
  bool Elements(int depth) {
    ++i_;
    Space();
    if (Eat(']')) return true;
    do {
      Space();
      if (!Value(depth)) return false;
      Space();
    } while (Eat(','));
    return Eat(']');
  }
  bool String() {
    if (!Eat('"')) return false;
    while (i_ < s_.size()) {
      const auto c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        ++i_;
        if (i_ >= s_.size()) return false;
        const char e = s_[i_++];
        if (e == 'u') {
          for (int k = 0; k < 4; ++k) {
            if (i_ >= s_.size() || !IsHex(s_[i_++])) return false;
          }
        } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
          return false;
        }
        continue;
      }
      if (c < 0x80) {
        ++i_;
        continue;
      }
      if (!Utf8()) return false;
    }
    return false;
  }
  // One well-formed multi-byte UTF-8 character: no overlong form, no surrogate, at most U+10FFFF.
  bool Utf8() {
    const auto b0 = static_cast<unsigned char>(s_[i_]);
    int len = 0;
    unsigned lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      return false;
    }
    if (i_ + static_cast<std::size_t>(len) > s_.size()) return false;
    for (int k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(s_[i_ + static_cast<std::size_t>(k)]);
      if (b < (k == 1 ? lo : 0x80) || b > (k == 1 ? hi : 0xBF)) return false;
    }
    i_ += static_cast<std::size_t>(len);
    return true;
  }
  bool Number() {
    Eat('-');
    if (Eat('0')) {
    } else if (!Digits()) {
      return false;
    }
    if (Eat('.') && !Digits()) return false;
    if (Eat('e') || Eat('E')) {
      if (!Eat('+')) Eat('-');
      if (!Digits()) return false;
    }
    return true;
  }
  bool Digits() {
    const std::size_t start = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9')
      ++i_;
    return i_ > start;
  }
  bool Word(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }
  bool Eat(char c) {
    if (i_ < s_.size() && s_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  void Space() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r'))
      ++i_;
  }
  static bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

inline bool IsJson(std::string_view text) {
  return JsonChecker(text).Valid();
}

}  // namespace urlsmith::fuzzing
