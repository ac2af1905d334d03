#include "engine/tag_scanner.h"

#include <algorithm>
#include <bit>
#include <iterator>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define URLSMITH_AVX2 1
#endif

#include "text/primitives.h"
#include "text/url_ops.h"

namespace urlsmith {

namespace {

// The state of one FindTagUrls call.
struct Find {
  const TextView& text;
  const ScriptBlocks& blocks;
  const TagIndex* index;
  bool handlers;  // the event-handler phase has something to look at
  FileFindings& out;
  int w() const { return text.width(); }
};

// One row of the tag table.
void FindRow(Find& f, std::size_t rowIndex, int& filePosition) {
  const TagTableRow& row = kTagTable[rowIndex];
  const bool isAnchor = rowIndex == kAnchorTagRow;
  const bool isScript = rowIndex == kScriptTagRow;
  f.out.Progress(filePosition++);
  // The SCRIPT row finds its tags everywhere, also inside other script blocks.
  const ScriptBlocks everywhere;
  TagWalk walk(f.text, isScript ? everywhere : f.blocks, f.index);
  Pos p = 0;
  while (true) {
    p = walk.Find(row.Tag, p);
    if (p == kNone) return;
    Pos valuePos = kNone;
    if (HasAttributeValue(f.text, row.Attribute, p + row.Start * f.w(), &valuePos)) {
      f.out.Url(f.text, p, valuePos, true, isAnchor);
    }
    if (isScript) {
      p = f.index != nullptr ? f.index->Find("/SCRIPT", p) : FindTag(f.text, "/SCRIPT", p);
    } else {
      p = NextAfterTag(f.text, p);
    }
    if (p == kNone) return;
  }
}

// What ends the search inside a handler value, by the value's quote (QuoteKind order); an
// unquoted value ends at a blank.
constexpr StopMode kHandlerValueStops[] = {StopMode::Blank,
                                           StopMode::DoubleQuote,
                                           StopMode::Apostrophe,
                                           StopMode::EscapedDoubleQuote,
                                           StopMode::EscapedApostrophe,
                                           StopMode::Blank};
static_assert(std::size(kHandlerValueStops) ==
              static_cast<std::size_t>(QuoteKind::Parenthesis) + 1);

// Where the search inside a handler value begins and what ends it, by the value's quote.
void HandlerValueBounds(const TextView& text, Pos valuePos, Pos& from, StopMode& mode) {
  const QuoteKind kind = OpeningQuote(text, valuePos, false);
  from = valuePos + static_cast<Pos>(QuoteLength(kind)) * text.width();
  mode = kHandlerValueStops[static_cast<int>(kind)];
}

// A position no search gives: NextAfterTag is still to be asked.
constexpr Pos kTagEndUnknown = -2;

// The handler URLs of the tag at p. tagEnd receives NextAfterTag(text, p) when the look at the
// tag came across it (else it stays as it is).
void FindTagHandlerUrls(Find& f, Pos p, std::vector<AttributeToken>& attributes, Pos& tagEnd) {
  // Most tags have no handler: one quick pass over the tag tells most of them apart.
  if (!TagMayHaveAttributeBeginning(f.text, p, "on", &tagEnd)) return;
  // The attributes begin after the '<' and the tag name.
  const int nameSpan = TagNameSpan(f.text, p);
  const Pos nameEnd = p + static_cast<Pos>(nameSpan) * f.w();
  if (FindAttribute(f.text, "on", nameEnd, nullptr, nullptr, true) == 0) return;
  // One walk over the tag's attributes serves the look-up of every handler name.
  ListAttributes(f.text, nameEnd, attributes);
  for (const std::string_view handler : kEventHandlerNames) {
    Pos valuePos = kNone;
    if (FindListedAttribute(f.text, attributes, handler, &valuePos, false) == 0) continue;
    Pos from = valuePos;
    StopMode mode = StopMode::Blank;
    HandlerValueBounds(f.text, valuePos, from, mode);
    ProtocolSearch protocols(f.text, f.text.Size, mode);
    for (Pos u = protocols.Next(from); u != kNone; u = protocols.Next(from)) {
      f.out.Url(f.text, p, u, false);
      from = u + f.w();
    }
  }
}

// The walk over every tag of the page, as TagWalk finds them one after the other, taken from
// the index's list of every tag: the tags and the script blocks are passed in order, once.
void WalkIndexedTags(Find& f, const std::vector<std::uint32_t>& every,
                     std::vector<AttributeToken>& attributes) {
  const ScriptBlocks& blocks = f.blocks;
  std::size_t i = 0;
  std::size_t startAt = 0;
  std::size_t endAt = 0;
  Pos p = 0;
  while (true) {
    while (i < every.size() && Pos{every[i]} < p)
      ++i;
    if (i == every.size()) return;
    const Pos t = every[i];
    bool inside = false;
    if (!blocks.TagsEverywhere) {
      // The last script block that starts before t, and where it ends.
      while (startAt < blocks.Starts.size() && blocks.Starts[startAt] < t)
        ++startAt;
      if (startAt > 0) {
        const Pos blockStart = blocks.Starts[startAt - 1];
        while (endAt < blocks.Ends.size() && blocks.Ends[endAt] <= blockStart)
          ++endAt;
        if (endAt == blocks.Ends.size()) return;  // the block never closes
        inside = blocks.Ends[endAt] >= t;
      }
    }
    Pos tagEnd = kTagEndUnknown;
    if (!inside) FindTagHandlerUrls(f, t, attributes, tagEnd);
    p = tagEnd != kTagEndUnknown ? tagEnd : NextAfterTag(f.text, t);
    if (p == kNone) return;
  }
}

// The event-handler phase.
void FindEventHandlerUrls(Find& f, int& filePosition) {
  f.out.Progress(filePosition++);
  if (!f.handlers) {
    f.out.Progress(filePosition, false);
    return;
  }
  std::vector<AttributeToken> attributes;
  const std::vector<std::uint32_t>* every =
      f.index != nullptr && !f.blocks.Overflow ? f.index->Positions("") : nullptr;
  if (every != nullptr) {
    WalkIndexedTags(f, *every, attributes);
  } else {
    TagWalk walk(f.text, f.blocks, f.index);
    Pos p = 0;
    while (true) {
      p = walk.Find("", p);
      if (p == kNone) break;
      Pos tagEnd = kTagEndUnknown;
      FindTagHandlerUrls(f, p, attributes, tagEnd);
      p = tagEnd != kTagEndUnknown ? tagEnd : NextAfterTag(f.text, p);
      if (p == kNone) break;
    }
  }
  f.out.Progress(filePosition, false);
}

bool IsListBlank(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The addresses of one HTML5 place in the tag at p.
void FindPlaceIn(Find& f, const PlaceRow& place, Pos p, std::vector<ListCandidate>& candidates) {
  const TextView& text = f.text;
  const Pos from = p + static_cast<Pos>(place.Start) * f.w();
  if (place.Form == PlaceForm::Refresh) {
    std::string equiv;
    FindAttribute(text, "http-equiv", from, &equiv, nullptr, false);
    std::string_view v = equiv;
    while (!v.empty() && IsListBlank(static_cast<unsigned char>(v.front())))
      v.remove_prefix(1);
    while (!v.empty() && IsListBlank(static_cast<unsigned char>(v.back())))
      v.remove_suffix(1);
    if (!EqualsIgnoreCase(v, "refresh")) return;
  }
  Pos valuePos = kNone;
  if (!HasAttributeValue(text, place.Attribute, from, &valuePos)) return;
  if (place.Form == PlaceForm::Address) {
    f.out.Url(text, p, valuePos, true);
    return;
  }
  const ValueContent content = ContentOfValue(text, valuePos);
  if (content.Start == kNone) return;
  if (place.Form == PlaceForm::Refresh) {
    Pos start = kNone;
    Pos end = kNone;
    if (RefreshAddress(text, content.Start, content.End, start, end)) {
      f.out.UrlRead(p, start, false, ReadSpanValue(text, start, end, f.out.Values));
    }
    return;
  }
  // A candidate of an unquoted list is the whole value: its deletion needs quotes.
  ListCandidates(text, content.Start, content.End, candidates);
  for (const ListCandidate& c : candidates)
    f.out.UrlRead(p, c.Start, content.Quote == 0,
                  ReadSpanValue(text, c.Start, c.UrlEnd, f.out.Values));
}

// One HTML5 place: its tags in text order, found through the page's index.
void FindPlace(Find& f, const PlaceRow& place, std::vector<ListCandidate>& candidates) {
  TagWalk walk(f.text, f.blocks, f.index);
  Pos p = walk.Find(place.Tag, 0);
  while (p != kNone) {
    if (IsWholeTagName(f.text, p, place.Tag.size())) FindPlaceIn(f, place, p, candidates);
    p = NextAfterTag(f.text, p);
    if (p == kNone) return;
    p = walk.Find(place.Tag, p);
  }
}

}  // namespace

namespace {

bool IsAsciiLetter(std::uint8_t c) {
  return static_cast<unsigned>((c | 0x20) - 'a') < 26;
}

// Whether the "on" at `word` begins a word that is followed by a '=' (blanks and controls
// between them allowed).
bool HandlerWordAt(const std::uint8_t* data, Pos size, Pos word) {
  if (word > 0 && IsAsciiLetter(data[word - 1])) return false;
  Pos j = word + 2;
  while (j < size && IsAsciiLetter(data[j]))
    ++j;
  while (j < size && IsBlankOrControl(data[j]))
    ++j;
  return j < size && data[j] == '=';
}

#if defined(URLSMITH_AVX2)
// The look of MayHaveEventHandler thirty-two places at a time, from p on while a whole block and
// the byte after it are there: true when it found a handler word, else p is where it stopped.
[[gnu::target("avx2")]] bool HandlerWordsAvx2(const std::uint8_t* data, Pos size, Pos& p) {
  const __m256i caseBit = _mm256_set1_epi8(0x20);
  const __m256i o = _mm256_set1_epi8('o');
  const __m256i n = _mm256_set1_epi8('n');
  for (; size - p > 32; p += 32) {
    const __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p));
    const __m256i next = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p + 1));
    const __m256i on = _mm256_and_si256(_mm256_cmpeq_epi8(_mm256_or_si256(here, caseBit), o),
                                        _mm256_cmpeq_epi8(_mm256_or_si256(next, caseBit), n));
    auto marks = static_cast<unsigned>(_mm256_movemask_epi8(on));
    if (marks != 0 && p > 0) {
      // An "on" after a letter begins no word ("json", "function"): those are not looked at.
      const __m256i before = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + p - 1));
      const __m256i x = _mm256_sub_epi8(_mm256_or_si256(before, caseBit), _mm256_set1_epi8('a'));
      const __m256i letter = _mm256_cmpeq_epi8(_mm256_min_epu8(x, _mm256_set1_epi8(25)), x);
      marks &= ~static_cast<unsigned>(_mm256_movemask_epi8(letter));
    }
    for (; marks != 0; marks &= marks - 1) {
      if (HandlerWordAt(data, size, p + std::countr_zero(marks))) return true;
    }
  }
  return false;
}
#endif

}  // namespace

bool MayHaveEventHandler(const TextView& text) {
  if (text.width() != 1) return true;
  // A handler's address is read from an attribute whose whole name is a handler name ("on" and
  // letters, in any case) with only blanks and controls between it and its '=', and whose name
  // does not follow a letter: so every "on" that begins a word is looked at, on to the end of
  // the word and the blanks after it.
  const std::uint8_t* const data = text.Data;
  const Pos size = text.Size;
  Pos p = 0;
#if defined(URLSMITH_AVX2)
  if (__builtin_cpu_supports("avx2") && HandlerWordsAvx2(data, size, p)) return true;
#endif
#if defined(__SSE2__)
  // An 'o' followed by an 'n', either in any case, sixteen places at a time.
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i o = _mm_set1_epi8('o');
  const __m128i n = _mm_set1_epi8('n');
  for (; size - p > 16; p += 16) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + 1));
    const __m128i on = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(here, caseBit), o),
                                     _mm_cmpeq_epi8(_mm_or_si128(next, caseBit), n));
    auto marks = static_cast<unsigned>(_mm_movemask_epi8(on));
    if (marks != 0 && p > 0) {
      // An "on" after a letter begins no word: those are not looked at.
      const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p - 1));
      const __m128i x = _mm_sub_epi8(_mm_or_si128(before, caseBit), _mm_set1_epi8('a'));
      const __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(25)), x);
      marks &= ~static_cast<unsigned>(_mm_movemask_epi8(letter));
    }
    for (; marks != 0; marks &= marks - 1) {
      if (HandlerWordAt(data, size, p + std::countr_zero(marks))) return true;
    }
  }
#endif
  for (; p + 1 < size; ++p) {
    if ((data[p] | 0x20) == 'o' && (data[p + 1] | 0x20) == 'n' && HandlerWordAt(data, size, p)) {
      return true;
    }
  }
  return false;
}

bool IsWholeTagName(const TextView& text, Pos p, std::size_t length) {
  const Pos after = p + static_cast<Pos>(1 + length) * text.width();
  if (after >= text.Size) return true;
  const unsigned char c = CharAt(text, after);
  return c <= 32 || c == '>' || c == '/';
}

ValueContent ContentOfValue(const TextView& text, Pos valuePos) {
  ValueContent content;
  int span = 0;
  int quote = 0;
  QuoteKind kind = QuoteKind::Unquoted;
  ExtractValue(text, valuePos, nullptr, ValueMode::TagAttribute, &span, &quote, &kind);
  if (span == 0) return content;
  const Pos w = text.width();
  content.Start = valuePos + static_cast<Pos>(quote) * w;
  content.End = valuePos + static_cast<Pos>(span) * w;
  content.Quote = quote;
  if (quote > 0 && span >= 2 * quote) {
    const unsigned char close =
        kind == QuoteKind::Apostrophe || kind == QuoteKind::EscapedApostrophe ? '\'' : '"';
    const bool closed = CharAt(text, content.End - w) == close &&
                        (quote == 1 || CharAt(text, content.End - 2 * w) == '\\');
    if (closed) content.End -= static_cast<Pos>(quote) * w;
  }
  return content;
}

void ListCandidates(const TextView& text, Pos start, Pos end, std::vector<ListCandidate>& out) {
  out.clear();
  const Pos w = text.width();
  Pos p = start;
  while (p < end) {
    while (p < end && (IsListBlank(CharAt(text, p)) || CharAt(text, p) == ','))
      p += w;
    if (p >= end) break;
    ListCandidate c;
    c.Start = p;
    while (p < end && !IsListBlank(CharAt(text, p)))
      p += w;
    Pos urlEnd = p;
    const bool descriptors = CharAt(text, urlEnd - w) != ',';
    while (urlEnd > c.Start && CharAt(text, urlEnd - w) == ',')
      urlEnd -= w;
    c.UrlEnd = urlEnd;
    c.End = urlEnd;
    if (descriptors) {
      // The descriptors run to the next comma outside parentheses.
      int depth = 0;
      while (p < end) {
        const unsigned char ch = CharAt(text, p);
        if (ch == '(') {
          ++depth;
        } else if (ch == ')' && depth > 0) {
          --depth;
        } else if (ch == ',' && depth == 0) {
          break;
        }
        if (!IsListBlank(ch)) c.End = p + w;
        p += w;
      }
    }
    if (c.UrlEnd > c.Start) out.push_back(c);
  }
}

bool RefreshAddress(const TextView& text, Pos start, Pos end, Pos& from, Pos& to) {
  const Pos w = text.width();
  const auto at = [&](Pos q) -> unsigned char { return q < end ? CharAt(text, q) : 0; };
  const auto skipBlanks = [&](Pos& q) {
    while (q < end && IsListBlank(at(q)))
      q += w;
  };
  Pos p = start;
  skipBlanks(p);
  // The delay: digits and dots.
  const Pos delay = p;
  while (p < end && ((at(p) >= '0' && at(p) <= '9') || at(p) == '.'))
    p += w;
  if (p == delay) return false;
  if (p < end && at(p) != ';' && at(p) != ',' && !IsListBlank(at(p))) return false;
  skipBlanks(p);
  if (at(p) == ';' || at(p) == ',') p += w;
  skipBlanks(p);
  // "URL=" may come first; a value that begins with "u" otherwise is the address itself.
  bool quotesAllowed = true;
  if (FoldLower(static_cast<char>(at(p))) == 'u') {
    Pos q = p + w;
    quotesAllowed = false;
    if (FoldLower(static_cast<char>(at(q))) == 'r' &&
        FoldLower(static_cast<char>(at(q + w))) == 'l') {
      q += 2 * w;
      skipBlanks(q);
      if (at(q) == '=') {
        q += w;
        skipBlanks(q);
        p = q;
        quotesAllowed = true;
      }
    }
  }
  unsigned char quote = 0;
  if (quotesAllowed && (at(p) == '"' || at(p) == '\'')) {
    quote = at(p);
    p += w;
  }
  Pos q = p;
  while (q < end && (quote == 0 || at(q) != quote))
    q += w;
  while (q > p && IsListBlank(at(q - w)))
    q -= w;
  if (q <= p) return false;
  from = p;
  to = q;
  return true;
}

std::optional<std::string> FindBaseHref(const TextView& text, const TagIndex* index) {
  const auto find = [&](Pos from) {
    return index != nullptr ? index->Find("BASE", from) : FindTag(text, "BASE", from);
  };
  Pos p = find(0);
  while (p != kNone) {
    if (IsWholeTagName(text, p, 4)) {
      std::string raw;
      if (FindAttribute(text, "href", p + 5 * text.width(), &raw, nullptr, false) != 0) {
        std::string decoded;
        DecodeUrl(raw, &decoded, text.CodePage);
        return decoded;
      }
    }
    p = NextAfterTag(text, p);
    if (p == kNone) break;
    p = find(p);
  }
  return std::nullopt;
}

void FindAnchorNames(const TextView& text, const ScriptBlocks& blocks, const TagIndex* index,
                     std::vector<std::string>& out) {
  out.clear();
  const Pos w = text.width();
  TagWalk walk(text, blocks, index);
  std::vector<AttributeToken> attributes;
  std::string raw;
  const auto take = [&](Pos valuePos) {
    ExtractValue(text, valuePos, &raw, ValueMode::TagAttribute, nullptr, nullptr);
    std::string decoded;
    DecodeUrl(raw, &decoded, text.CodePage);
    if (!decoded.empty()) out.push_back(std::move(decoded));
  };
  Pos p = walk.Find("", 0);
  while (p != kNone) {
    const int nameSpan = TagNameSpan(text, p);
    ListAttributes(text, p + static_cast<Pos>(nameSpan) * w, attributes);
    Pos valuePos = kNone;
    if (FindListedAttribute(text, attributes, "id", &valuePos, false) != 0) take(valuePos);
    if (nameSpan == 2 && FoldLower(static_cast<char>(CharAt(text, p + w))) == 'a' &&
        FindListedAttribute(text, attributes, "name", &valuePos, false) != 0) {
      take(valuePos);
    }
    p = NextAfterTag(text, p);
    if (p == kNone) break;
    p = walk.Find("", p);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

void FindTagUrls(const TextView& text, const SearchOptions& options, const ScriptBlocks& blocks,
                 const TagIndex* index, bool handlers, int& filePosition, FileFindings& out) {
  Find f{text, blocks, index, handlers, out};
  for (std::size_t i = 0; i < kTagTable.size(); ++i)
    FindRow(f, i, filePosition);
  if (options.SearchHtml5) {
    std::vector<ListCandidate> candidates;
    for (const PlaceRow& place : kHtml5Places)
      FindPlace(f, place, candidates);
  }
  if (options.ScanEventHandlers) FindEventHandlerUrls(f, filePosition);
}

}  // namespace urlsmith
