// Searches shared by the page, script and style-sheet scanners: the script blocks of a page and
// the tag search that skips them, the search for protocol names in script text, and the test
// whether a script URL stands in a comment.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "text/primitives.h"
#include "text/text_types.h"

namespace urlsmith {

// The protocol names that start a URL in script text and event handlers, tried in this order.
inline constexpr auto kScriptProtocols =
    std::to_array<std::string_view>({"file:///", "http://", "https://", "ftp://", "gopher://"});

// The places of the tags of a fixed set of names in one text, found in one walk over it, so that
// the searches for many kinds of tag do not each walk the whole text. Find answers exactly as
// FindTag does, for any name: names outside the set are searched in the text.
class TagIndex {
 public:
  static constexpr std::size_t kMaxNames = 48;

  TagIndex() = default;
  // Indexes `text` for `names` (upper case, none empty, at most kMaxNames; the caller keeps them
  // alive), and with everyTag the places of all its tags. The text's bytes must stay where they
  // are while the index is used.
  TagIndex(const TextView& text, std::span<const std::string_view> names) { Build(text, names); }
  void Build(const TextView& text, std::span<const std::string_view> names, bool everyTag = true);

  // FindTag(text, name, from).
  Pos Find(std::string_view name, Pos from) const;
  // Whether the index was built for a text.
  bool built() const { return built_; }
  // The ascending positions FindTag finds for name ("" for every tag), or nullptr when the name
  // is not indexed (nor "" when the index was built without every tag); a search from `from` may be
  // answered from them when Answers(from).
  const std::vector<std::uint32_t>* Positions(std::string_view name) const;
  // How many places the lists of the names hold together.
  std::size_t IndexedCount() const;
  bool Answers(Pos from) const {
    // A walk over UTF-16 text from an odd offset reads the units shifted by a byte: only the
    // text can answer that.
    return built_ && from >= 0 && (text_.width() == 1 || from % 2 == 0);
  }

 private:
  TextView text_;
  bool built_ = false;
  bool everyTag_ = false;
  std::span<const std::string_view> names_;
  std::array<std::vector<std::uint32_t>, kMaxNames> lists_;
  std::vector<std::uint32_t> every_;
};

// Fills starts with the positions of the page's "SCRIPT" tags and ends with those of its
// "/SCRIPT" tags (each search goes on after the end of the tag found). Each list keeps at most
// maxEntries positions; returns false when the page has more script tags than that.
bool CollectScriptRanges(const TextView& text, std::vector<Pos>& starts, std::vector<Pos>& ends,
                         std::size_t maxEntries, const TagIndex* index = nullptr);

// How the tag searches of one page treat its script blocks.
struct ScriptBlocks {
  // Tags inside script blocks are real tags: nothing is skipped.
  bool TagsEverywhere = true;
  // The collected block boundaries (used when tagsEverywhere is false).
  std::span<const Pos> Starts;
  std::span<const Pos> Ends;
  // The page has more script tags than the lists hold: the boundaries are then followed along
  // the text as the search goes, so that every block is still skipped.
  bool Overflow = false;
};

// "Find tag N from q" for one forward walk over a page: FindTag when tags count everywhere,
// otherwise a search that skips tags inside script blocks. Positions asked should not go back
// (a walk that goes back is served correctly, only slower). With an index of the page's tags
// the places come from it instead of from the text.
class TagWalk {
 public:
  TagWalk(const TextView& text, const ScriptBlocks& blocks, const TagIndex* index = nullptr)
      : text_(text), blocks_(blocks), index_(index) {}

  Pos Find(std::string_view name, Pos from);

 private:
  Pos FindAnywhere(std::string_view name, Pos from);
  Pos FindOutsideListedBlocks(std::string_view name, Pos from);
  enum class Where { Outside, Inside, NeverCloses };
  Where Locate(Pos p);
  void Restart();
  Pos NextStart(Pos current) const;
  Pos NextEnd(Pos current) const;

  TextView text_;
  ScriptBlocks blocks_;
  const TagIndex* index_;
  // Followed boundaries (overflow only).
  bool started_ = false;
  Pos lastAsked_ = 0;
  Pos nextStart_ = kNone;
  Pos currentStart_ = kNone;
  Pos nextEnd_ = kNone;
  // Where the walk stands in the index's lists of the names it searches (a walk alternates
  // between at most a few names) and in the block lists: it goes forward, so each search
  // steps on from the last answer instead of searching the lists anew.
  struct Cursor {
    std::string_view name;
    const std::vector<std::uint32_t>* list = nullptr;
    std::size_t at = 0;
  };
  std::array<Cursor, 2> cursors_{};
  std::size_t nextCursor_ = 0;
  std::size_t startAt_ = 0;
  std::size_t endAt_ = 0;
};

// The first of kScriptProtocols (in list order, not the nearest) found from a position, within
// one block or value. The positions asked go forward by at most the length of the protocol name
// found last, as the scanners step; results are remembered so that a long block with many URLs
// is not searched again to its end for every URL.
class ProtocolSearch {
 public:
  ProtocolSearch(const TextView& text, Pos end, StopMode mode)
      : text_(text), end_(end), mode_(mode) {}

  Pos Next(Pos from);

 private:
  TextView text_;
  Pos end_;
  StopMode mode_;
  Pos lastFrom_ = -1;
  Pos reach_ = 0;  // the end of the last name found (see Next)
  std::array<Pos, kScriptProtocols.size()> found_{};
  std::array<bool, kScriptProtocols.size()> known_{};
};

// Whether the script URL at position stands in a comment: after a "//" on its line (slashes
// that directly follow a ':' belong to a URL such as "http://" and open no comment), or in a
// block comment (the next "*/" comes before the next "/*", or only one of them follows).
bool IsInScriptComment(const TextView& text, Pos position);

// IsInScriptComment for positions asked in ascending order, as a scanner meets its URLs: the
// line state and the next comment marks are carried along instead of searched anew.
class ScriptCommentTracker {
 public:
  explicit ScriptCommentTracker(const TextView& text) : text_(text) {}

  bool InComment(Pos position);

 private:
  void Restart();
  bool SlashRunAfterColon(Pos slash) const;

  TextView text_;
  Pos lastAsked_ = -1;
  Pos scanned_ = 0;           // line state is known for the text before this position
  bool lineComment_ = false;  // a comment-opening "//" since the last line break
  bool runAfterColon_ = false;
  Pos openFrom_ = -1;
  Pos open_ = kNone;
  Pos closeFrom_ = -1;
  Pos close_ = kNone;
};

}  // namespace urlsmith
