#include "apply/rewriter.h"

#include <algorithm>

#include "engine/tag_scanner.h"
#include "text/primitives.h"
#include "text/replacement.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

constexpr std::string_view kFileUrlPrefix = "file:///";

// Elements whose opening and closing tags are removed when they are deleted as text, by tag
// name token.
constexpr std::string_view kRemovableElements[] = {"<BGSOUND", "<SCRIPT", "<APPLET",
                                                   "<EMBED",   "<IFRAME", "<STYLE"};
constexpr std::string_view kEmptiedToHash[] = {"<A", "<AREA", "<LINK", "<STYLE"};
constexpr std::string_view kBackgroundHolders[] = {"<INPUT", "<BODY", "<TABLE", "<TD", "<TR"};

bool IsDeletion(const LinkEntry& row) {
  return ReplacementText(row.Replacement).IsDeletion();
}

template <std::size_t N>
std::string_view FindToken(const std::string& token, const std::string_view (&group)[N]) {
  for (const std::string_view name : group) {
    if (EqualsIgnoreCase(token, name)) return name;
  }
  return {};
}

void AppendUnit(std::vector<std::uint8_t>& out, std::uint32_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
}

void AppendCodePoint(std::vector<std::uint8_t>& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    AppendUnit(out, 0xD800 + (cp >> 10));
    AppendUnit(out, 0xDC00 + (cp & 0x3FF));
  } else {
    AppendUnit(out, cp);
  }
}

// Appends a value (single-byte text in the session's code page) in the text's encoding:
// as it is for single-byte text, as little-endian UTF-16 units otherwise. A byte that is not
// part of a well-formed UTF-8 sequence (a decoded "%E9", say) stands for the Latin-1
// character of that number, so no value is ever refused.
void AppendEncoded(const TextView& text, std::vector<std::uint8_t>& out, std::string_view value) {
  if (text.width() == 1) {
    out.insert(out.end(), value.begin(), value.end());
    return;
  }
  for (std::size_t i = 0; i < value.size();) {
    const auto b = static_cast<unsigned char>(value[i]);
    if (b < 0x80) {
      AppendUnit(out, b);
      ++i;
      continue;
    }
    if (text.CodePage == CodePage::Windows1252) {
      AppendUnit(out, Cp1252Unit(b));
      ++i;
      continue;
    }
    char32_t cp = 0;
    const int len = Utf8Sequence(value, i, &cp);
    if (len == 0) {
      AppendUnit(out, b);
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += static_cast<std::size_t>(len);
  }
}

// The end of the tag at `position`: past its '>' (one not followed by '=') and any control
// characters after it; the end of the text when that is where they end; kNone when the tag
// is never closed.
Pos TagEnd(const TextView& text, Pos position) {
  const Pos next = NextAfterTag(text, position);
  if (next != kNone) return next;
  const Pos w = text.width();
  for (Pos p = position; p >= 0 && p + w <= text.Size; p += w) {
    if (CharAt(text, p) == '>' && CharAt(text, p + w) != '=') {
      Pos q = p + w;
      while (q + w <= text.Size && IsControl(CharAt(text, q)))
        q += w;
      return q;
    }
  }
  return kNone;
}

// A row whose place lies inside the text and agrees with the text's character width. Rows
// that do not (a file that changed since the search) are passed over.
bool Fits(const TextView& text, const LinkEntry& row) {
  const Pos w = text.width();
  if (row.ValuePos < 0 || row.SpanLength < 0 || row.QuoteLength < 0) return false;
  if (row.ValuePos % w != 0) return false;
  if (row.ValuePos + static_cast<Pos>(row.SpanLength) * w > text.Size) return false;
  if (row.QuoteLength > row.SpanLength) return false;
  if (row.TagPos >= 0 && (row.TagPos % w != 0 || row.TagPos > row.ValuePos)) return false;
  return true;
}

// Whether the last `quote` characters of a span (from closeStart) close the opening quote at
// `start`. An opening that is no known quote character is taken as written.
bool ClosesQuote(const TextView& text, Pos start, Pos closeStart, int quote) {
  const Pos w = text.width();
  const unsigned char open = CharAt(text, start + static_cast<Pos>(quote - 1) * w);
  if (quote == 1 && open != '"' && open != '\'' && open != '(') return true;
  if (quote == 2 && CharAt(text, closeStart) != '\\') return false;
  const unsigned char close = open == '(' ? ')' : open;
  return CharAt(text, closeStart + static_cast<Pos>(quote - 1) * w) == close;
}

}  // namespace

void RewriteCursor::CopyTo(Pos position) {
  position = std::min(position, Text.Size);
  if (position <= WritePos) return;
  if (Copies != nullptr) {
    Copies->push_back({WritePos, static_cast<Pos>(Out.size() - OutStart), position - WritePos});
  }
  Out.insert(Out.end(), Text.Data + WritePos, Text.Data + position);
  WritePos = position;
}

std::vector<std::uint8_t> ComposeValue(const TextView& text, const LinkEntry& row,
                                       std::string_view newValue) {
  const Pos w = text.width();
  const Pos start = row.ValuePos;
  const Pos end = start + static_cast<Pos>(row.SpanLength) * w;
  const int quote = std::clamp(row.QuoteLength, 0, std::max(row.SpanLength, 0));
  std::vector<std::uint8_t> out;
  out.reserve(newValue.size() * static_cast<std::size_t>(w) + 4 * static_cast<std::size_t>(w));
  const Pos q = static_cast<Pos>(quote) * w;
  out.insert(out.end(), text.Data + start, text.Data + start + q);
  AppendEncoded(text, out, newValue);
  if (quote > 0 && row.SpanLength >= 2 * quote && ClosesQuote(text, start, end - q, quote)) {
    out.insert(out.end(), text.Data + end - q, text.Data + end);
  }
  return out;
}

void WriteReplacement(RewriteCursor& cursor, std::string_view newValue, const LinkEntry& row) {
  cursor.CopyTo(row.ValuePos);
  const std::vector<std::uint8_t> value = ComposeValue(cursor.Text, row, newValue);
  cursor.Out.insert(cursor.Out.end(), value.begin(), value.end());
  cursor.WritePos = std::max(cursor.WritePos,
                             row.ValuePos + static_cast<Pos>(row.SpanLength) * cursor.Text.width());
}

void InsertAttribute(RewriteCursor& cursor, std::string_view name, std::string_view value,
                     const LinkEntry& row) {
  const std::string token = TagNameToken(cursor.Text, row.TagPos);
  if (token.empty()) return;
  const Pos end = row.TagPos + static_cast<Pos>(token.size()) * cursor.Text.width();
  if (end < cursor.WritePos) return;
  cursor.CopyTo(end);
  std::string attribute = " ";
  attribute.append(name).append("=").append(value);
  AppendEncoded(cursor.Text, cursor.Out, attribute);
}

std::string TagNameToken(const TextView& text, Pos tagPos) {
  const Pos w = text.width();
  if (tagPos < 0 || tagPos + w > text.Size || CharAt(text, tagPos) != '<') return {};
  std::string token = "<";
  for (Pos p = tagPos + w; p + w <= text.Size; p += w) {
    const unsigned char c = CharAt(text, p);
    if (c == '>' || c <= 32 || (c == '/' && token.size() > 1)) break;
    token.push_back(static_cast<char>(c));
  }
  return token;
}

Pos FindClosingTag(const TextView& text, std::string_view name, Pos from) {
  const Pos w = text.width();
  std::string pattern = "/";
  pattern.append(name);
  for (Pos p = FindTag(text, pattern, from); p != kNone; p = FindTag(text, pattern, p + w)) {
    const Pos after = p + static_cast<Pos>(pattern.size() + 1) * w;
    if (after + w > text.Size) return kNone;
    const unsigned char c = CharAt(text, after);
    if (c == '>' || IsBlankOrControl(c)) return TagEnd(text, p) == kNone ? kNone : p;
  }
  return kNone;
}

std::vector<std::vector<std::int32_t>> GatherRowsByFile(const SearchSession& session) {
  const auto& table = session.LinkTable;
  std::vector<std::vector<std::int32_t>> rows(static_cast<std::size_t>(session.FileList.size()));
  for (std::size_t i = 0; i < table.size(); ++i) {
    const std::int32_t file = table[i].FileIndex;
    if (file >= 0 && static_cast<std::size_t>(file) < rows.size()) {
      rows[static_cast<std::size_t>(file)].push_back(static_cast<std::int32_t>(i));
    }
  }
  for (auto& list : rows) {
    std::stable_sort(list.begin(), list.end(), [&](std::int32_t a, std::int32_t b) {
      return table[static_cast<std::size_t>(a)].ValuePos <
             table[static_cast<std::size_t>(b)].ValuePos;
    });
  }
  return rows;
}

// The value of an HTML5 place in a tag.
struct PageRewriter::PlaceValue {
  const PlaceRow* place;
  Pos valuePos;
  ValueContent content;
};

struct PageRewriter::Page {
  Page(RewriteCursor c, const std::string& p, std::span<const std::int32_t> r, int file)
      : cursor(c), path(p), rows(r), fileIndex(file) {}

  RewriteCursor cursor;
  const std::string& path;
  std::span<const std::int32_t> rows;
  std::vector<std::string_view> elementStack;  // ElementStack: names without '<'
  int fileIndex = -1;
  // The HTML5 places of the tag last looked at.
  Pos placesOf = kNone;
  std::vector<PlaceValue> places;
  // The candidate list last looked at, and which of its candidates leave it.
  Pos listStart = kNone;
  std::vector<ListCandidate> candidates;
  std::vector<std::uint8_t> removed;
  // The page's base, once asked for.
  bool baseKnown = false;
  PageBase base;
  // The last search for each closing tag: searching again from any place between `from` and
  // what it found gives the same answer. Without it, many opening tags that are never closed
  // would each search the rest of the page, which is quadratic.
  struct ClosingSearch {
    std::string_view name;
    Pos from = 0;
    Pos found = kNone;
  };
  std::vector<ClosingSearch> closingSearches;

  Pos FindClosing(std::string_view name) {
    const Pos from = cursor.WritePos;
    for (ClosingSearch& s : closingSearches) {
      if (s.name != name) continue;
      if (from < s.from || (s.found != kNone && from > s.found)) {
        s = ClosingSearch{name, from, FindClosingTag(cursor.Text, name, from)};
      }
      return s.found;
    }
    closingSearches.push_back(ClosingSearch{name, from, FindClosingTag(cursor.Text, name, from)});
    return closingSearches.back().found;
  }
};

PageRewriter::PageRewriter(SearchSession& session, RewriteOptions options)
    : session_(session),
      options_(std::move(options)),
      rowsByFile_(GatherRowsByFile(session)),
      isFix_(session.LinkTable.size(), 0) {
  for (const std::int32_t row : session.FixList) {
    if (row >= 0 && static_cast<std::size_t>(row) < isFix_.size()) {
      isFix_[static_cast<std::size_t>(row)] = 1;
    }
  }
}

std::span<const std::int32_t> PageRewriter::RowsOf(int fileIndex) const {
  if (fileIndex < 0 || static_cast<std::size_t>(fileIndex) >= rowsByFile_.size()) return {};
  return rowsByFile_[static_cast<std::size_t>(fileIndex)];
}

int PageRewriter::RewritePage(const TextView& text, int fileIndex, std::vector<std::uint8_t>& out,
                              std::vector<CopiedRun>* copies) {
  static const std::string kNoPath;
  const std::span<const std::int32_t> rows = RowsOf(fileIndex);
  const std::size_t start = out.size();
  out.reserve(start + static_cast<std::size_t>(text.Size) + 256);
  const std::string& path = fileIndex >= 0 && fileIndex < session_.FileList.size()
                                ? session_.FileList.path(fileIndex)
                                : kNoPath;
  Page page(RewriteCursor{text, out, 0, copies, start}, path, rows, fileIndex);
  auto& table = session_.LinkTable;

  std::size_t k = 0;
  while (true) {
    LinkEntry* row = k < rows.size() ? &table[static_cast<std::size_t>(rows[k])] : nullptr;
    if (row == nullptr && page.elementStack.empty()) break;
    // Close the elements whose opening tags were removed, unless a row comes first.
    while (!page.elementStack.empty()) {
      const Pos found = page.FindClosing(page.elementStack.back());
      if (found == kNone) {
        page.elementStack.pop_back();
        break;
      }
      if (row != nullptr && row->ValuePos < found) break;
      page.cursor.CopyTo(found);
      page.cursor.WritePos = std::max(page.cursor.WritePos, TagEnd(text, found));
      page.elementStack.pop_back();
    }
    if (row != nullptr) HandleRow(page, k);
    ++k;
  }
  page.cursor.CopyTo(text.Size);

  if (text.Encoding == FileEncoding::Utf16Be) ByteSwapText(out.data() + start, out.size() - start);

  return static_cast<int>(rows.size());
}

void PageRewriter::ForgetDroppedFixes() {
  if (!droppedFix_) return;
  const auto& table = session_.LinkTable;
  auto& fixes = session_.FixList;
  fixes.erase(std::remove_if(fixes.begin(), fixes.end(),
                             [&](std::int32_t r) {
                               return r >= 0 && static_cast<std::size_t>(r) < table.size() &&
                                      table[static_cast<std::size_t>(r)].ValuePos < 0;
                             }),
              fixes.end());
  droppedFix_ = false;
}

void PageRewriter::DropRow(std::int32_t rowIndex) {
  const auto i = static_cast<std::size_t>(rowIndex);
  session_.LinkTable[i].ValuePos = -1;
  if (i < isFix_.size() && isFix_[i] != 0) {
    droppedFix_ = true;
  }
}

void PageRewriter::HandleRow(Page& page, std::size_t& k) {
  const TextView& text = page.cursor.Text;
  auto& table = session_.LinkTable;
  LinkEntry& row = table[static_cast<std::size_t>(page.rows[k])];
  // Rows inside text already written or removed, dropped rows, and rows that do not fit the
  // text are passed over.
  if (row.ValuePos < page.cursor.WritePos || !Fits(text, row)) return;
  const std::string token = TagNameToken(text, row.TagPos);
  if (IsDeletion(row)) {
    HandleDeletion(page, k, row, token);
    return;
  }
  // A replacement equal to the URL as found changes nothing: the value stays as written
  // (with its escapes, entities and line breaks).
  if (row.Replacement == row.Url) return;

  // A link whose tag is about to be removed gets nothing written for it.
  if (options_.Review.AllowLinkDeletion &&
      options_.Deletion.TextLinkMode == TextLinkModeKind::ConvertToText &&
      (EqualsIgnoreCase(token, "<A") || !FindToken(token, kRemovableElements).empty())) {
    for (std::size_t j = k + 1; j < page.rows.size(); ++j) {
      const LinkEntry& next = table[static_cast<std::size_t>(page.rows[j])];
      if (next.TagPos != row.TagPos) break;
      if (IsDeletion(next)) {
        DropRow(page.rows[k]);
        return;
      }
    }
  }

  // Nor for one whose tag goes with the deletion of an HTML5 place's address.
  if (options_.Review.AllowLinkDeletion) {
    for (std::size_t j = k + 1; j < page.rows.size(); ++j) {
      const LinkEntry& next = table[static_cast<std::size_t>(page.rows[j])];
      if (next.TagPos != row.TagPos) break;
      if (!IsDeletion(next)) continue;
      const PlaceValue* place = PlaceOfRow(page, next, token);
      if (place != nullptr && RemovesTag(*place)) {
        DropRow(page.rows[k]);
        return;
      }
    }
  }

  // A mark is not written: the target value follows its mark, a relative reference is made from
  // the file URL after its mark.
  const ReplacementText replacement(row.Replacement);
  const std::string value = replacement.IsRelative() ? RelativeValue(page, replacement.written())
                                                     : std::string(replacement.written());
  if (row.ValuePos == row.TagPos) {
    InsertAttribute(page.cursor, "target", value, row);
  } else {
    WriteReplacement(page.cursor, value, row);
  }
}

void PageRewriter::HandleDeletion(Page& page, std::size_t& k, LinkEntry& row,
                                  const std::string& token) {
  if (!options_.Review.AllowLinkDeletion) return;
  if (const PlaceValue* place = PlaceOfRow(page, row, token)) {
    HandlePlaceDeletion(page, k, row, *place);
    return;
  }
  const DeletionOptions& d = options_.Deletion;
  // Pictures and backgrounds: emptied, or pointed at the replacement URL the user chose.
  const auto picture = [&](ImageLinkModeKind mode, const std::string& url, bool relative) {
    WriteReplacement(page.cursor,
                     mode == ImageLinkModeKind::ReplaceWithUrl
                         ? PictureValue(page, row, url, relative)
                         : row.Replacement,
                     row);
  };
  if (EqualsIgnoreCase(token, "<IMG")) {
    picture(d.ImageLinkMode, d.ImageReplacementUrl, d.ImageReplacementRelative);
    return;
  }
  if (!FindToken(token, kBackgroundHolders).empty()) {
    picture(d.BackgroundLinkMode, d.BackgroundReplacementUrl, d.BackgroundReplacementRelative);
    return;
  }
  if (d.TextLinkMode == TextLinkModeKind::ConvertToText) {
    if (EqualsIgnoreCase(token, "<A") && RemoveTag(page, k, row, "A")) return;
    const std::string_view element = FindToken(token, kRemovableElements);
    if (!element.empty() && RemoveTag(page, k, row, element.substr(1))) return;
  }
  if (!FindToken(token, kEmptiedToHash).empty()) {
    WriteReplacement(page.cursor, "#", row);
    return;
  }
  WriteReplacement(page.cursor, row.Replacement, row);
}

bool PageRewriter::RemoveTag(Page& page, std::size_t& k, LinkEntry& row, std::string_view element) {
  const TextView& text = page.cursor.Text;
  // A tag that is never closed is not removed (that would take the rest of the file with it);
  // its value is emptied instead.
  const Pos end = TagEnd(text, row.TagPos);
  if (end == kNone) return false;
  page.cursor.CopyTo(row.TagPos);
  page.cursor.WritePos = std::max(page.cursor.WritePos, end);
  if (!element.empty()) page.elementStack.push_back(element);
  const std::int32_t tagPos = row.TagPos;
  DropRow(page.rows[k]);
  while (k + 1 < page.rows.size() &&
         session_.LinkTable[static_cast<std::size_t>(page.rows[k + 1])].TagPos == tagPos) {
    ++k;
    DropRow(page.rows[k]);
  }
  return true;
}

const PageRewriter::PlaceValue* PageRewriter::PlaceOfRow(Page& page, const LinkEntry& row,
                                                         const std::string& token) const {
  if (row.TagPos < 0 || token.size() < 2) return nullptr;
  const TextView& text = page.cursor.Text;
  if (page.placesOf != row.TagPos) {
    page.placesOf = row.TagPos;
    page.places.clear();
    const std::string_view name = std::string_view(token).substr(1);
    for (const PlaceRow& place : kHtml5Places) {
      if (!EqualsIgnoreCase(name, place.Tag)) continue;
      Pos valuePos = kNone;
      if (FindAttribute(text, place.Attribute, row.TagPos + place.Start * text.width(), nullptr,
                        &valuePos, false) == 0) {
        continue;
      }
      page.places.push_back({&place, valuePos, ContentOfValue(text, valuePos)});
    }
  }
  for (const PlaceValue& value : page.places) {
    const bool holds =
        value.place->Form == PlaceForm::Address
            ? row.ValuePos == value.valuePos
            : row.ValuePos >= value.content.Start && row.ValuePos < value.content.End;
    if (holds) return &value;
  }
  return nullptr;
}

bool PageRewriter::RemovesTag(const PlaceValue& place) const {
  const PlaceDeletion deletion = place.place->Deletion;
  return deletion == PlaceDeletion::RemoveTag ||
         (deletion == PlaceDeletion::RemoveElement &&
          options_.Deletion.TextLinkMode == TextLinkModeKind::ConvertToText);
}

void PageRewriter::HandlePlaceDeletion(Page& page, std::size_t& k, LinkEntry& row,
                                       const PlaceValue& place) {
  const DeletionOptions& d = options_.Deletion;
  switch (place.place->Deletion) {
    case PlaceDeletion::Emptied:
      break;
    case PlaceDeletion::Hash:
      WriteReplacement(page.cursor, "#", row);
      return;
    case PlaceDeletion::Picture:
      if (d.ImageLinkMode == ImageLinkModeKind::ReplaceWithUrl) {
        WriteReplacement(page.cursor,
                         PictureValue(page, row, d.ImageReplacementUrl, d.ImageReplacementRelative),
                         row);
        return;
      }
      break;
    case PlaceDeletion::RemoveTag:
    case PlaceDeletion::RemoveElement:
      // The element goes as a text link does; a META refresh always loses its tag.
      if (RemovesTag(place) &&
          RemoveTag(page, k, row,
                    place.place->Deletion == PlaceDeletion::RemoveElement ? place.place->Tag
                                                                          : std::string_view()))
        return;
      break;
    case PlaceDeletion::Candidate:
      if (d.ImageLinkMode == ImageLinkModeKind::ReplaceWithUrl) {
        WriteReplacement(page.cursor,
                         PictureValue(page, row, d.ImageReplacementUrl, d.ImageReplacementRelative),
                         row);
      } else {
        RemoveCandidate(page, k, row, place);
      }
      return;
  }
  WriteReplacement(page.cursor, row.Replacement, row);
}

// Takes a candidate out of its list: with the comma before it when a candidate before it stays,
// else with the comma after it, so that the list stays well formed. An unquoted list holds one
// candidate only: its value becomes "".
void PageRewriter::RemoveCandidate(Page& page, std::size_t k, const LinkEntry& row,
                                   const PlaceValue& place) {
  const TextView& text = page.cursor.Text;
  const ValueContent& content = place.content;
  if (content.Quote == 0) {
    WriteReplacement(page.cursor, row.Replacement, row);
    return;
  }
  const auto& table = session_.LinkTable;
  const auto valueOf = [&](std::size_t j) {
    return static_cast<Pos>(table[static_cast<std::size_t>(page.rows[j])].ValuePos);
  };
  if (page.listStart != content.Start) {
    page.listStart = content.Start;
    ListCandidates(text, content.Start, content.End, page.candidates);
    page.removed.assign(page.candidates.size(), 0);
    // The rows of the list lie around row k (dropped rows, at -1, are passed over).
    std::size_t first = k;
    while (first > 0 && (valueOf(first - 1) < 0 || valueOf(first - 1) >= content.Start))
      --first;
    for (std::size_t j = first; j < page.rows.size(); ++j) {
      const Pos at = valueOf(j);
      if (at < 0) continue;
      if (at >= content.End) break;
      if (!IsDeletion(table[static_cast<std::size_t>(page.rows[j])])) continue;
      const auto c = std::lower_bound(
          page.candidates.begin(), page.candidates.end(), at,
          [](const ListCandidate& candidate, Pos p) { return candidate.Start < p; });
      if (c != page.candidates.end() && c->Start == at) {
        page.removed[static_cast<std::size_t>(c - page.candidates.begin())] = 1;
      }
    }
  }
  const auto c = std::lower_bound(
      page.candidates.begin(), page.candidates.end(), static_cast<Pos>(row.ValuePos),
      [](const ListCandidate& candidate, Pos p) { return candidate.Start < p; });
  if (c == page.candidates.end() || c->Start != row.ValuePos) {
    WriteReplacement(page.cursor, row.Replacement, row);
    return;
  }
  const auto i = static_cast<std::size_t>(c - page.candidates.begin());
  const bool keptBefore =
      std::find(page.removed.begin(), page.removed.begin() + static_cast<std::ptrdiff_t>(i), 0) !=
      page.removed.begin() + static_cast<std::ptrdiff_t>(i);
  Pos from = c->Start;
  Pos to = c->End;
  if (keptBefore) {
    from = page.candidates[i - 1].End;
  } else if (i + 1 < page.candidates.size()) {
    to = page.candidates[i + 1].Start;
  }
  page.cursor.CopyTo(from);
  page.cursor.WritePos = std::max(page.cursor.WritePos, to);
}

const PageBase& PageRewriter::BaseOf(Page& page) const {
  if (!page.baseKnown) {
    page.baseKnown = true;
    if (KindOfPath(page.path, session_.pathStyle()) == FileKind::Page) {
      if (const auto href = FindBaseHref(page.cursor.Text)) {
        page.base = ResolvePageBase(session_, page.fileIndex, *href);
      }
    }
  }
  return page.base;
}

std::string PageRewriter::RelativeValue(Page& page, std::string_view target) const {
  const PathStyle style = session_.pathStyle();
  const std::string& baseUrl = session_.Search.BaseUrl;
  if (session_.Processing.UseBaseUrlAsRoot && session_.Search.UseBaseUrl && !baseUrl.empty()) {
    std::string base = baseUrl;
    if (base.back() != '/') base += '/';
    const std::string fromRoot = MakeRelativePath(session_.RootPath, target, true, style);
    const bool quoted = IsDoubleQuoted(fromRoot);
    const std::string_view inner =
        quoted ? std::string_view(fromRoot).substr(1, fromRoot.size() - 2) : fromRoot;
    // Only a path that stays under the root (no "..", not the absolute form) is put after the
    // base URL; a quoted target gives the whole address in quotes.
    if (inner.find("..") == std::string_view::npos && inner.find("://") == std::string_view::npos) {
      std::string value = quoted ? "\"" : "";
      value.append(base).append(inner);
      if (quoted) value += '"';
      return value;
    }
  }
  const PageBase& pageBase = BaseOf(page);
  // Under an Internet base only the file URL itself names the file.
  if (pageBase.What == PageBase::Kind::Internet) return std::string(target);
  return MakeRelativePath(pageBase.What == PageBase::Kind::Folder ? pageBase.Folder : page.path,
                          target, true, style);
}

std::string PageRewriter::PictureValue(Page& page, const LinkEntry& row, const std::string& url,
                                       bool relative) const {
  std::string value = url;
  if (relative) {
    const std::string_view inner =
        IsDoubleQuoted(url) ? std::string_view(url).substr(1, url.size() - 2) : url;
    const PageBase& pageBase = BaseOf(page);
    if (StartsWithIgnoreCase(inner, kFileUrlPrefix) && pageBase.What != PageBase::Kind::Internet) {
      value =
          MakeRelativePath(pageBase.What == PageBase::Kind::Folder ? pageBase.Folder : page.path,
                           url, true, session_.pathStyle());
    }
  }
  // The old value had no quotes of its own: the new one gets them.
  if (ReplacementText(row.Replacement).IsQuotedDeletion() && !IsDoubleQuoted(value)) {
    value = "\"" + value + "\"";
  }
  return value;
}

}  // namespace urlsmith
