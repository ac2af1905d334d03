// Rewriting one file with its planned changes: every row of the file is applied at the exact
// place the search recorded (TagPos, ValuePos, SpanLength, QuoteLength), in position order, in
// one pass over the text. Replacements are written in place of the old values, relative forms
// computed, link targets added or changed, and deleted links carried out as the deletion
// options say. The new text is produced in memory; writing it to the disk is the apply run's.
//
// A deleted address of an HTML5 place is rendered as its place says (PlaceDeletion): an image
// candidate leaves its list with its descriptors and one comma, so the list stays well formed;
// relative values of a page with a <base href> are written from the base's folder.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/analysis.h"
#include "engine/search_model.h"
#include "results/deletion_options.h"
#include "results/result_list.h"
#include "text/text_types.h"

namespace urlsmith {

// Whether links may be deleted at all (review.AllowLinkDeletion; off: deletion rows change
// nothing), and how deleted links are rendered: text links (and removable elements) become plain
// text or point at "#"; "IMG" sources and background images ("INPUT", "BODY", "TABLE", "TD",
// "TR") are emptied or replaced by their URL, which is written relative to each page when it is
// a file:/// URL and its relative flag is on. The replacement URLs are used as they stand (see
// MakeApplyOptions).
struct RewriteOptions {
  ResultOptions Review;
  DeletionOptions Deletion;
};

// A run of the new text copied unchanged from the input: Length bytes from input offset From
// to output offset To (counted from where the page's output starts). The bytes of the new
// text outside every run are written values and attributes.
struct CopiedRun {
  Pos From = 0;
  Pos To = 0;
  Pos Length = 0;
};

// Where the rewriter has got to in the input, and where the output goes. The output is in the
// file's own encoding with little-endian UTF-16 units; a big-endian file is swapped once at
// the end of RewritePage.
struct RewriteCursor {
  const TextView& Text;
  std::vector<std::uint8_t>& Out;
  Pos WritePos = 0;  // input bytes before this are written (or removed); it only grows
  std::vector<CopiedRun>* Copies = nullptr;  // when set, every copy is recorded
  std::size_t OutStart = 0;                  // where the page's output starts in Out

  // Writes the input from the write position up to `position` (nothing when it lies before).
  void CopyTo(Pos position);
};

// The row's opening quote (its first QuoteLength characters), the new value, and its closing
// quote (the last QuoteLength characters of its span, when they are the quote that closes the
// opening one), in the text's encoding.
std::vector<std::uint8_t> ComposeValue(const TextView& text, const LinkEntry& row,
                                       std::string_view newValue);

// Writes the input up to the row's value, then ComposeValue; the write position moves past the
// old value (ValuePos + SpanLength characters).
void WriteReplacement(RewriteCursor& cursor, std::string_view newValue, const LinkEntry& row);

// Writes the input up to the end of the tag's name (as "<A") and then a blank, the name, "="
// and the value: the new attribute stands first in the tag. The write position moves to the
// end of the name.
void InsertAttribute(RewriteCursor& cursor, std::string_view name, std::string_view value,
                     const LinkEntry& row);

// The tag's name as written, with its '<' ("<IMG"): up to the first '>', '/', blank or control
// character. Empty when TagPos is negative or no '<' stands there.
std::string TagNameToken(const TextView& text, Pos tagPos);

// The first closing tag of `name` ("</" + name followed by '>' or a blank or control
// character, ASCII case ignored) from `from` whose tag is closed by a '>'; kNone when there is
// none.
Pos FindClosingTag(const TextView& text, std::string_view name, Pos from);

// The rows of every file in the order they are applied: ascending ValuePos, rows with equal
// ValuePos in table order. Indexed by FileIndex (files without rows get an empty list).
std::vector<std::vector<std::int32_t>> GatherRowsByFile(const SearchSession& session);

// Rewrites the files of one session. It gathers the rows of every file once when it is made;
// the LinkTable must not gain or lose rows while it is in use.
class PageRewriter {
 public:
  PageRewriter(SearchSession& session, RewriteOptions options);

  // Appends the new text of file `fileIndex` to `out`. `text` is the file's text as the search
  // read it (a big-endian file already swapped to little-endian); the output is in the file's
  // own byte order. Dropped rows get ValuePos -1; they leave the FixList with
  // ForgetDroppedFixes. Returns the number of the file's rows, whether or not they led to a
  // change. With `copies`, the runs copied unchanged are appended to it in output order.
  int RewritePage(const TextView& text, int fileIndex, std::vector<std::uint8_t>& out,
                  std::vector<CopiedRun>* copies = nullptr);

  // Removes the fixes of dropped rows from the FixList, keeping the order of the others: a
  // second pass is offered only for fixes that are really in the files. One pass over the
  // FixList, so it is done once after all pages rather than after each.
  void ForgetDroppedFixes();

  std::span<const std::int32_t> RowsOf(int fileIndex) const;

 private:
  struct Page;
  struct PlaceValue;
  void HandleRow(Page& page, std::size_t& k);
  void HandleDeletion(Page& page, std::size_t& k, LinkEntry& row, const std::string& token);
  void HandlePlaceDeletion(Page& page, std::size_t& k, LinkEntry& row, const PlaceValue& place);
  void RemoveCandidate(Page& page, std::size_t k, const LinkEntry& row, const PlaceValue& place);
  const PlaceValue* PlaceOfRow(Page& page, const LinkEntry& row, const std::string& token) const;
  bool RemovesTag(const PlaceValue& place) const;
  bool RemoveTag(Page& page, std::size_t& k, LinkEntry& row, std::string_view element);
  const PageBase& BaseOf(Page& page) const;
  std::string RelativeValue(Page& page, std::string_view target) const;
  std::string PictureValue(Page& page, const LinkEntry& row, const std::string& url,
                           bool relative) const;
  void DropRow(std::int32_t rowIndex);

  SearchSession& session_;
  RewriteOptions options_;
  std::vector<std::vector<std::int32_t>> rowsByFile_;
  std::vector<std::uint8_t> isFix_;  // by row index: the row is in the FixList
  bool droppedFix_ = false;          // a fix was dropped since the last ForgetDroppedFixes
};

}  // namespace urlsmith
