#include "engine/scan_search.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace urlsmith {

namespace {

bool IsLineBreak(unsigned char c) {
  return c == '\r' || c == '\n';
}

// Inside a block comment by the next "/*" and "*/" from the URL on.
bool InBlockComment(Pos open, Pos close) {
  if (open != kNone && close != kNone) return close < open;
  return (open == kNone) != (close == kNone);
}

Pos FindTagIn(const TextView& text, const TagIndex* index, std::string_view name, Pos from) {
  return index != nullptr ? index->Find(name, from) : FindTag(text, name, from);
}

// The first index i with list[i] >= target (> target when `after`), sought from `at`, the
// index found last: a walk that goes forward steps over a few entries, a jump searches.
template <class T>
std::size_t Seek(std::span<const T> list, std::size_t at, Pos target, bool after) {
  const auto before = [&](T v) { return after ? Pos{v} <= target : Pos{v} < target; };
  if (at > list.size() || (at > 0 && !before(list[at - 1]))) at = 0;
  for (int steps = 0; at < list.size() && before(list[at]); ++at, ++steps) {
    if (steps == 8) {
      return static_cast<std::size_t>(
          std::partition_point(list.begin() + static_cast<std::ptrdiff_t>(at), list.end(), before) -
          list.begin());
    }
  }
  return at;
}

void CollectTags(const TextView& text, const TagIndex* index, std::string_view name,
                 std::vector<Pos>& out, std::size_t maxEntries, bool& fits) {
  Pos p = FindTagIn(text, index, name, 0);
  while (p != kNone) {
    if (out.size() >= maxEntries) {
      fits = false;
      return;
    }
    out.push_back(p);
    const Pos q = NextAfterTag(text, p);
    if (q == kNone) return;
    p = FindTagIn(text, index, name, q);
  }
}

}  // namespace

// ---- TagIndex ----

void TagIndex::Build(const TextView& text, std::span<const std::string_view> names, bool everyTag) {
  text_ = text;
  names_ = names.subspan(0, std::min(names.size(), kMaxNames));
  every_.clear();
  CollectTagPositions(text, names_, lists_, everyTag ? &every_ : nullptr);
  everyTag_ = everyTag;
  built_ = true;
}

std::size_t TagIndex::IndexedCount() const {
  std::size_t count = 0;
  for (std::size_t i = 0; i < names_.size(); ++i)
    count += lists_[i].size();
  return count;
}

const std::vector<std::uint32_t>* TagIndex::Positions(std::string_view name) const {
  if (!built_) return nullptr;
  if (name.empty()) return everyTag_ ? &every_ : nullptr;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == name) return &lists_[i];
  }
  return nullptr;
}

Pos TagIndex::Find(std::string_view name, Pos from) const {
  const std::vector<std::uint32_t>* list = Answers(from) ? Positions(name) : nullptr;
  if (list == nullptr) return FindTag(text_, name, from);
  const std::size_t i = Seek(std::span<const std::uint32_t>(*list), 0, from, false);
  return i == list->size() ? kNone : Pos{(*list)[i]};
}

bool CollectScriptRanges(const TextView& text, std::vector<Pos>& starts, std::vector<Pos>& ends,
                         std::size_t maxEntries, const TagIndex* index) {
  starts.clear();
  ends.clear();
  bool fits = true;
  CollectTags(text, index, "SCRIPT", starts, maxEntries, fits);
  CollectTags(text, index, "/SCRIPT", ends, maxEntries, fits);
  return fits;
}

// ---- TagWalk ----

Pos TagWalk::FindAnywhere(std::string_view name, Pos from) {
  if (index_ == nullptr || !index_->Answers(from)) return FindTag(text_, name, from);
  Cursor* cursor = nullptr;
  for (Cursor& c : cursors_) {
    // The names are mostly the same literals: their addresses tell them apart at once.
    if (c.list != nullptr &&
        ((c.name.data() == name.data() && c.name.size() == name.size()) || c.name == name)) {
      cursor = &c;
      break;
    }
  }
  if (cursor == nullptr) {
    const std::vector<std::uint32_t>* list = index_->Positions(name);
    if (list == nullptr) return FindTag(text_, name, from);
    cursor = &cursors_[nextCursor_];
    nextCursor_ = (nextCursor_ + 1) % cursors_.size();
    *cursor = {name, list, 0};
  }
  const std::span<const std::uint32_t> list(*cursor->list);
  cursor->at = Seek(list, cursor->at, from, false);
  return cursor->at == list.size() ? kNone : Pos{list[cursor->at]};
}

// FindTagOutsideScripts over the collected block lists.
Pos TagWalk::FindOutsideListedBlocks(std::string_view name, Pos from) {
  if (index_ == nullptr) {
    return FindTagOutsideScripts(text_, from, name, blocks_.Starts, blocks_.Ends);
  }
  Pos p = FindAnywhere(name, from);
  while (p != kNone) {
    // The last script block that starts before p.
    startAt_ = Seek(blocks_.Starts, startAt_, p, false);
    if (startAt_ == 0) return p;
    const Pos blockStart = blocks_.Starts[startAt_ - 1];
    // Where that block ends.
    endAt_ = Seek(blocks_.Ends, endAt_, blockStart, true);
    if (endAt_ == blocks_.Ends.size()) return kNone;  // the block never closes
    if (blocks_.Ends[endAt_] < p) return p;
    p = NextAfterTag(text_, p);
    if (p == kNone) return kNone;
    p = FindAnywhere(name, p);
  }
  return kNone;
}

Pos TagWalk::Find(std::string_view name, Pos from) {
  if (blocks_.TagsEverywhere) return FindAnywhere(name, from);
  if (!blocks_.Overflow) return FindOutsideListedBlocks(name, from);
  Pos p = FindAnywhere(name, from);
  while (p != kNone) {
    switch (Locate(p)) {
      case Where::Outside:
        return p;
      case Where::NeverCloses:
        return kNone;
      case Where::Inside:
        break;
    }
    p = NextAfterTag(text_, p);
    if (p == kNone) return kNone;
    p = FindAnywhere(name, p);
  }
  return kNone;
}

void TagWalk::Restart() {
  started_ = true;
  lastAsked_ = 0;
  nextStart_ = FindTagIn(text_, index_, "SCRIPT", 0);
  currentStart_ = kNone;
  nextEnd_ = FindTagIn(text_, index_, "/SCRIPT", 0);
}

Pos TagWalk::NextStart(Pos current) const {
  const Pos q = NextAfterTag(text_, current);
  return q == kNone ? kNone : FindTagIn(text_, index_, "SCRIPT", q);
}

Pos TagWalk::NextEnd(Pos current) const {
  const Pos q = NextAfterTag(text_, current);
  return q == kNone ? kNone : FindTagIn(text_, index_, "/SCRIPT", q);
}

// The same decision as the search over collected lists: the block is the one opened by the last
// "SCRIPT" tag before p and closed by the first "/SCRIPT" tag after that opening.
TagWalk::Where TagWalk::Locate(Pos p) {
  if (!started_ || p < lastAsked_) Restart();
  lastAsked_ = p;
  while (nextStart_ != kNone && nextStart_ < p) {
    currentStart_ = nextStart_;
    nextStart_ = NextStart(nextStart_);
  }
  if (currentStart_ == kNone) return Where::Outside;
  while (nextEnd_ != kNone && nextEnd_ <= currentStart_)
    nextEnd_ = NextEnd(nextEnd_);
  if (nextEnd_ == kNone) return Where::NeverCloses;
  return nextEnd_ < p ? Where::Outside : Where::Inside;
}

// ---- ProtocolSearch ----

// A protocol name that was not found stays not found while the search goes on before the place
// where the earlier search gave up. With no stop character that is the end; with one, it is no
// earlier than the end of the last name found, which is as far as the scanners step.
Pos ProtocolSearch::Next(Pos from) {
  if (from < lastFrom_ || (mode_ != StopMode::None && from > reach_)) known_.fill(false);
  lastFrom_ = from;
  for (std::size_t i = 0; i < kScriptProtocols.size(); ++i) {
    if (!known_[i] || (found_[i] != kNone && found_[i] < from)) {
      found_[i] = FindText(text_, end_, kScriptProtocols[i], from, mode_);
      known_[i] = true;
    }
    if (found_[i] != kNone) {
      reach_ = found_[i] + static_cast<Pos>(kScriptProtocols[i].size()) * text_.width();
      return found_[i];
    }
  }
  reach_ = from;
  return kNone;
}

// ---- Script comments ----

bool IsInScriptComment(const TextView& text, Pos position) {
  const int w = text.width();
  for (Pos k = position; k >= 0; k -= w) {
    const unsigned char c = CharAt(text, k);
    if (IsLineBreak(c)) break;
    if (c == '/' && CharAt(text, k + w) == '/') {
      Pos runStart = k;
      while (runStart - w >= 0 && CharAt(text, runStart - w) == '/')
        runStart -= w;
      // The slashes of "scheme://" open no comment: go on before them.
      if (runStart - w >= 0 && CharAt(text, runStart - w) == ':') {
        k = runStart;
        continue;
      }
      return true;
    }
  }
  const Pos open = FindText(text, text.Size, "/*", position, StopMode::None);
  const Pos close = FindText(text, text.Size, "*/", position, StopMode::None);
  return InBlockComment(open, close);
}

void ScriptCommentTracker::Restart() {
  scanned_ = 0;
  lineComment_ = false;
  runAfterColon_ = false;
  openFrom_ = -1;
  closeFrom_ = -1;
}

bool ScriptCommentTracker::SlashRunAfterColon(Pos slash) const {
  const int w = text_.width();
  Pos runStart = slash;
  while (runStart - w >= 0 && CharAt(text_, runStart - w) == '/')
    runStart -= w;
  return runStart - w >= 0 && CharAt(text_, runStart - w) == ':';
}

bool ScriptCommentTracker::InComment(Pos position) {
  if (position < lastAsked_) Restart();
  lastAsked_ = position;
  const int w = text_.width();

  // Carry the line state forward to the position. Only line breaks and slashes change it; in
  // single-byte text the bytes between them are skipped at once.
  Pos k = scanned_;
  const bool narrow = w == 1;
  while (k < position) {
    if (narrow) {
      const std::uint8_t* data = text_.Data;
      const Pos limit = std::min(position, text_.Size);
#if defined(__SSE2__)
      // Sixteen bytes at a time up to the first that matters.
      for (; limit - k >= 16; k += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + k));
        const __m128i marks = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('/')),
                                           _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')),
                                                        _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'))));
        if (const auto bits = static_cast<unsigned>(_mm_movemask_epi8(marks)); bits != 0) {
          k += std::countr_zero(bits);
          break;
        }
      }
#endif
      while (k < limit && data[k] != '/' && data[k] != '\r' && data[k] != '\n')
        ++k;
      if (k >= limit) {
        k = position;
        break;
      }
    }
    // The character at a position, read in place in single-byte text.
    const auto at = [&](Pos p) -> unsigned char {
      return narrow && p >= 0 && p < text_.Size ? text_.Data[p] : CharAt(text_, p);
    };
    const unsigned char c = at(k);
    if (IsLineBreak(c)) {
      lineComment_ = false;
    } else if (c == '/') {
      const unsigned char before = k - w >= 0 ? at(k - w) : 0;
      const bool runGoesOn = k - w >= 0 && before == '/';
      if (!runGoesOn) runAfterColon_ = k - w >= 0 && before == ':';
      if (!runAfterColon_ && at(k + w) == '/') lineComment_ = true;
    }
    k += w;
  }
  scanned_ = k;

  bool inLineComment = lineComment_;
  const unsigned char here = CharAt(text_, position);
  if (IsLineBreak(here)) {
    inLineComment = false;
  } else if (here == '/' && CharAt(text_, position + w) == '/' && !SlashRunAfterColon(position)) {
    inLineComment = true;
  }
  if (inLineComment) return true;

  if (openFrom_ < 0 || (open_ != kNone && open_ < position)) {
    open_ = FindText(text_, text_.Size, "/*", position, StopMode::None);
    openFrom_ = position;
  }
  if (closeFrom_ < 0 || (close_ != kNone && close_ < position)) {
    close_ = FindText(text_, text_.Size, "*/", position, StopMode::None);
    closeFrom_ = position;
  }
  return InBlockComment(open_, close_);
}

}  // namespace urlsmith
