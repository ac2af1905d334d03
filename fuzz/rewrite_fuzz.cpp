// Search a page, rewrite it with its own rows, and search the new text again. The new text must
// be made of copies of the old one and the written values; and where the rewriter wrote the new
// value of a row, the second search must find no row. Exceptions: automatic protocol fixes,
// whose new URLs a second pass is there to look at; the replacement URL of a deleted picture or
// background, which the user chose rather than the search (it may be an Internet address, or a
// file URL that stays absolute); a value that its own quote does not close when the text
// after it was removed; and a value that opens with several quotes.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "apply/apply_run.h"
#include "engine/search_run.h"
#include "engine/tag_scanner.h"
#include "fuzz_support.h"
#include "text/primitives.h"
#include "text/replacement.h"

using namespace urlsmith;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The first byte chooses the review and deletion options; the rest is a page input.
ApplyOptions OptionsOf(std::uint8_t flags, PathStyle style, bool canonicalize) {
  ResultOptions review;
  review.AllowLinkDeletion = (flags & 1) != 0;
  DeletionOptions deletion;
  deletion.TextLinkMode =
      (flags & 2) != 0 ? TextLinkModeKind::MakeEmpty : TextLinkModeKind::ConvertToText;
  const std::string picture =
      style == PathStyle::Windows ? "D:\\site\\img\\logo.gif" : "file:///site/img/logo.gif";
  if ((flags & 4) != 0) {
    deletion.ImageLinkMode = ImageLinkModeKind::ReplaceWithUrl;
    deletion.ImageReplacementUrl = picture;
    deletion.ImageReplacementRelative = (flags & 8) != 0;
  }
  if ((flags & 16) != 0) {
    deletion.BackgroundLinkMode = ImageLinkModeKind::ReplaceWithUrl;
    deletion.BackgroundReplacementUrl =
        (flags & 32) != 0 ? "http://www.example.com/bg.gif" : picture;
    deletion.BackgroundReplacementRelative = (flags & 8) == 0;
  }
  return MakeApplyOptions(review, deletion, canonicalize, style);
}

// With URLSMITH_FUZZ_EXPLAIN set, a failed check prints the rows and the texts it is about.
void Explain(const SearchSession& first, const std::vector<std::uint8_t>& out,
             const LinkEntry& again) {
  if (std::getenv("URLSMITH_FUZZ_EXPLAIN") == nullptr) return;
  for (const LinkEntry& r : first.LinkTable) {
    std::fprintf(stderr, "first: file %d tag %d value %d span %d quote %d url [%s] -> [%s]\n",
                 r.FileIndex, r.TagPos, r.ValuePos, r.SpanLength, r.QuoteLength, r.Url.c_str(),
                 r.Replacement.c_str());
  }
  std::fprintf(stderr, "again: tag %d value %d span %d url [%s] -> [%s]\nnew text: [", again.TagPos,
               again.ValuePos, again.SpanLength, again.Url.c_str(), again.Replacement.c_str());
  std::fwrite(out.data(), 1, out.size(), stderr);
  std::fprintf(stderr, "]\n");
}

// Whether the rewriter wrote the user's replacement URL for the row: a deleted picture or
// background under replace-with-URL.
bool UserChosenValue(const TextView& text, const LinkEntry& row, const ApplyOptions& options) {
  const DeletionOptions& d = options.Rewrite.Deletion;
  if (!options.Rewrite.Review.AllowLinkDeletion || !ReplacementText(row.Replacement).IsDeletion()) {
    return false;
  }
  const std::string token = TagNameToken(text, row.TagPos);
  // The pictures of HTML5 places (posters, SVG images, image candidates) follow the pictures.
  for (const PlaceRow& place : kHtml5Places) {
    if (place.Deletion != PlaceDeletion::Picture && place.Deletion != PlaceDeletion::Candidate) {
      continue;
    }
    if (token.size() < 2 || !EqualsIgnoreCase(std::string_view(token).substr(1), place.Tag)) {
      continue;
    }
    Pos valuePos = kNone;
    if (FindAttribute(text, place.Attribute, row.TagPos + place.Start * text.width(), nullptr,
                      &valuePos, false) == 0) {
      continue;
    }
    const ValueContent content = ContentOfValue(text, valuePos);
    const bool holds = place.Form == PlaceForm::Address
                           ? row.ValuePos == valuePos
                           : row.ValuePos >= content.Start && row.ValuePos < content.End;
    if (holds) return d.ImageLinkMode == ImageLinkModeKind::ReplaceWithUrl;
  }
  if (EqualsIgnoreCase(token, "<IMG")) return d.ImageLinkMode == ImageLinkModeKind::ReplaceWithUrl;
  for (const char* holder : {"<INPUT", "<BODY", "<TABLE", "<TD", "<TR"}) {
    if (EqualsIgnoreCase(token, holder)) {
      return d.BackgroundLinkMode == ImageLinkModeKind::ReplaceWithUrl;
    }
  }
  return false;
}

// Whether the row's value ends with the quote that opens it. A value that does not ended where
// the text around it ended it: at a blank, a '>' or the '<' of the next tag.
bool ClosedByItsQuote(const TextView& text, const LinkEntry& row) {
  const Pos w = text.width();
  const int q = row.QuoteLength;
  if (q == 0 || row.SpanLength < 2 * q) return false;
  const unsigned char open = CharAt(text, row.ValuePos + (q - 1) * w);
  const unsigned char close = open == '(' ? ')' : open;
  const Pos end = row.ValuePos + static_cast<Pos>(row.SpanLength) * w;
  return CharAt(text, end - w) == close && (q == 1 || CharAt(text, end - 2 * w) == '\\');
}

// Whether the value opens with more than one quote ("' or '\'): the value's quote is the last
// of them, and the rewriter keeps only its length of the opening, so the written value reads
// differently.
bool StackedQuotes(const TextView& text, const LinkEntry& row) {
  const bool parenthesis = row.TagPos == kTagPosStyle;
  Pos p = row.ValuePos;
  QuoteKind last = QuoteKind::Unquoted;
  Pos opening = 0;
  for (QuoteKind kind = OpeningQuote(text, p, parenthesis); kind > last;
       kind = OpeningQuote(text, p, parenthesis)) {
    last = kind;
    opening += QuoteLength(kind);
    p += QuoteLength(kind) * text.width();
  }
  return opening > row.QuoteLength;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const fuzzing::PageInput input = fuzzing::ReadPageInput(data + 1, size - 1);
  fuzzing::Site first = fuzzing::MakeSite(input);
  SearchSession& s = *first.Session;
  NullRunView view;
  RunSearch(s, view);
  const ApplyOptions options = OptionsOf(data[0], s.pathStyle(), s.Processing.CanonicalizeUrls);

  // As the apply run reads and rewrites the page.
  std::vector<std::uint8_t> text = input.Bytes;
  const FileEncoding encoding = s.PrepareText(0, text);
  std::vector<std::uint8_t> out;
  std::vector<CopiedRun> copies;
  std::vector<bool> isFix(s.LinkTable.size(), false);
  for (const std::int32_t fix : s.FixList) {
    isFix[static_cast<std::size_t>(fix)] = true;
  }
  PageRewriter rewriter(s, options.Rewrite);
  const int rows = rewriter.RewritePage(s.View(text, encoding), 0, out, &copies);
  rewriter.ForgetDroppedFixes();

  // The copies follow each other in both texts and hold the old bytes.
  std::vector<std::uint8_t> outLe = out;
  if (encoding == FileEncoding::Utf16Be) ByteSwapText(outLe.data(), outLe.size());
  Pos lastFrom = 0, lastTo = 0;
  for (const CopiedRun& c : copies) {
    Check(c.Length > 0 && c.From >= lastFrom && c.To >= lastTo);
    Check(c.From + c.Length <= static_cast<Pos>(text.size()));
    Check(c.To + c.Length <= static_cast<Pos>(out.size()));
    Check(
        std::equal(text.begin() + c.From, text.begin() + c.From + c.Length, outLe.begin() + c.To));
    lastFrom = c.From + c.Length;
    lastTo = c.To + c.Length;
  }
  if (rows == 0) Check(out == input.Bytes);
  if (encoding != FileEncoding::Ansi) {
    // The byte-order mark stays, and the text stays in whole units.
    Check(out.size() >= 2 && std::equal(out.begin(), out.begin() + 2, input.Bytes.begin()));
    Check(out.size() % 2 == input.Bytes.size() % 2);
  }

  // The second search, over the new text.
  fuzzing::PageInput again = input;
  again.Bytes = out;
  fuzzing::Site second = fuzzing::MakeSite(again);
  RunSearch(*second.Session, view);
  for (const LinkEntry& row : second.Session->LinkTable) {
    if (row.FileIndex != 0) continue;
    const Pos at = row.ValuePos;
    // The written text around `at`: between the copies before and after it.
    const auto next = std::upper_bound(copies.begin(), copies.end(), at,
                                       [](Pos p, const CopiedRun& c) { return p < c.To; });
    if (next != copies.begin()) {
      const CopiedRun& before = *(next - 1);
      if (at < before.To + before.Length) continue;  // copied, not written
    }
    const Pos gapStart = next == copies.begin() ? 0 : (next - 1)->To + (next - 1)->Length;
    const Pos fromIn = next == copies.begin() ? 0 : (next - 1)->From + (next - 1)->Length;
    const Pos toIn = next == copies.end() ? static_cast<Pos>(text.size()) : next->From;
    // A value that starts inside written text is not one the rewriter wrote: it begins at the
    // closing quote of a written value (one quote closing a value and opening the next).
    if (at != gapStart) continue;
    // The written text starts with the value of the first row there that the rewriter did not
    // pass over (a deletion while deleting is not allowed, or a replacement equal to its URL,
    // changes nothing).
    const TextView oldText = s.View(text, encoding);
    const std::size_t none = s.LinkTable.size();
    std::size_t planned = none;
    for (std::size_t i = 0; i < s.LinkTable.size(); ++i) {
      const LinkEntry& old = s.LinkTable[i];
      if (old.FileIndex != 0 || old.ValuePos < fromIn || old.ValuePos >= toIn) continue;
      if (old.Replacement == old.Url || (ReplacementText(old.Replacement).IsDeletion() &&
                                         !options.Rewrite.Review.AllowLinkDeletion)) {
        continue;
      }
      if (planned == none || old.ValuePos < s.LinkTable[planned].ValuePos) planned = i;
    }
    if (planned == none) continue;
    const LinkEntry& old = s.LinkTable[planned];
    // A value not closed by its own quote whose end the rewriter took away (a closing tag of a
    // removed link right after it) runs on into the text that now follows it.
    const bool runsOn = old.ValuePos + static_cast<Pos>(old.SpanLength) * oldText.width() < toIn &&
                        !ClosedByItsQuote(oldText, old);
    if (isFix[planned] || UserChosenValue(oldText, old, options) || runsOn ||
        StackedQuotes(oldText, old)) {
      continue;
    }
    Explain(s, out, row);
    std::abort();
  }
  return 0;
}
