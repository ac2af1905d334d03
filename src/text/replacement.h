// The planned change of a found link, as a LinkEntry stores it in one string. Plans, the JSON
// and the review show this text as it is; this is the one place that says what it means:
//
//   ""           delete the link
//   "\"\""       delete the link whose value had no quotes: the emptied value gets them
//   ":::" value  the value of the tag's target attribute (changed, or added)
//   "|||" value  a local file URL, written relative to the page
//   value        the new value, written as it is
//
// A value (after a mark, too) may be wrapped in double quotes: it is written with them. A text
// wrapped in quotes as a whole has no mark ("\":::x\"" is the quoted value ":::x").
#pragma once

#include <string>
#include <string_view>

namespace urlsmith {

inline constexpr std::string_view kTargetMark = ":::";
inline constexpr std::string_view kRelativeMark = "|||";
inline constexpr std::string_view kQuotedDeletion = "\"\"";

// Whether s is wrapped in double quotes (one quote alone is not).
constexpr bool IsDoubleQuoted(std::string_view s) {
  return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

// A stored replacement taken apart, without copying: it refers to the stored text.
class ReplacementText {
 public:
  constexpr explicit ReplacementText(std::string_view stored) : stored_(stored), written_(stored) {
    if (stored.starts_with(kTargetMark) || stored.starts_with(kRelativeMark)) {
      mark_ = stored.substr(0, 3);
      written_ = stored.substr(3);
    }
    quoted_ = IsDoubleQuoted(written_);
    value_ = quoted_ ? written_.substr(1, written_.size() - 2) : written_;
  }

  constexpr std::string_view stored() const { return stored_; }
  constexpr bool IsDeletion() const { return stored_.empty() || stored_ == kQuotedDeletion; }
  // A deletion whose emptied value is written with quotes.
  constexpr bool IsQuotedDeletion() const { return stored_ == kQuotedDeletion; }
  // kTargetMark, kRelativeMark, or empty.
  constexpr std::string_view mark() const { return mark_; }
  constexpr bool IsTarget() const { return mark_ == kTargetMark; }
  constexpr bool IsRelative() const { return mark_ == kRelativeMark; }
  // The text after the mark, quotes kept: what is written (for a relative one, what is made
  // relative to the page).
  constexpr std::string_view written() const { return written_; }
  // The value without mark and quotes: what the review shows and edits.
  constexpr std::string_view value() const { return value_; }
  // Whether the value is wrapped in double quotes.
  constexpr bool quoted() const { return quoted_; }

  // The stored text of `value` after `mark` (empty, kTargetMark or kRelativeMark), wrapped in
  // double quotes when `quoted`.
  static std::string Make(std::string_view mark, std::string_view value, bool quoted) {
    std::string stored;
    stored.reserve(mark.size() + value.size() + 2);
    stored.append(mark);
    if (quoted) stored += '"';
    stored.append(value);
    if (quoted) stored += '"';
    return stored;
  }
  // The stored text of a value without a mark. A value that begins like a mark (a link in a
  // page may) gets its first character escaped ("%7C" or "%3A"), which names the same URL.
  static std::string Plain(std::string value) {
    if (value.starts_with(kTargetMark) || value.starts_with(kRelativeMark)) {
      value.replace(0, 1, value[0] == '|' ? "%7C" : "%3A");
    }
    return value;
  }
  // A deletion: empty, or two quotes when the emptied value needs them.
  static std::string Deletion(bool quoted) { return std::string(quoted ? kQuotedDeletion : ""); }

 private:
  std::string_view stored_;
  std::string_view mark_;
  std::string_view written_;
  std::string_view value_;
  bool quoted_ = false;
};

}  // namespace urlsmith
