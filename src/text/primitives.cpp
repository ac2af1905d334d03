// The text primitives. Each algorithm is written once over a small reader that knows the width
// of a character and how to turn one into a single byte; the readers for single-byte and
// UTF-16 text are chosen once per call, so the inner loops stay free of encoding tests.
#include "text/primitives.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>
#include <type_traits>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define URLSMITH_AVX2 1
#endif

#include "text/byte_blocks.h"

namespace urlsmith {

namespace {

constexpr unsigned char kNoForm = '_';

constexpr unsigned Upper(unsigned c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

constexpr bool IsHighSurrogate(std::uint32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
constexpr bool IsLowSurrogate(std::uint32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}
constexpr char32_t CombineSurrogates(std::uint32_t high, std::uint32_t low) {
  return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F (the five unused bytes map to
// the C1 control of the same number, as the system converter does).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte of a UTF-16 unit, or '_' when it has none.
unsigned char Cp1252Byte(std::uint32_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<unsigned char>(unit);
  for (unsigned i = 0; i < std::size(kCp1252High); ++i) {
    if (kCp1252High[i] == unit) return static_cast<unsigned char>(0x80 + i);
  }
  return kNoForm;
}

int Utf8Length(char32_t cp) {
  return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

// Single-byte text: a character is a byte.
struct AnsiReader {
  static constexpr Pos kWidth = 1;
  const std::uint8_t* data;
  Pos limit;  // characters at or after this offset are outside the text

  AnsiReader(const TextView& text, Pos end) : data(text.Data), limit(end) {}
  bool In(Pos p) const { return p >= 0 && p < limit; }
  unsigned At(Pos p) const { return In(p) ? data[p] : kNoForm; }
};

// UTF-16 text (little-endian units in memory): a character is one 2-byte unit. A trailing
// odd byte is not a character.
struct WideReader {
  static constexpr Pos kWidth = 2;
  const std::uint8_t* data;
  Pos limit;  // even; a unit is inside when it ends at or before this offset
  Pos full;   // even size of the whole text, for looking at the other half of a surrogate pair
  CodePage codePage;

  WideReader(const TextView& text, Pos end)
      : data(text.Data), limit(end & ~Pos{1}), full(text.Size & ~Pos{1}), codePage(text.CodePage) {}
  bool In(Pos p) const { return p >= 0 && p <= limit - 2; }
  std::uint32_t Unit(Pos p) const {
    return static_cast<std::uint32_t>(data[p]) | (static_cast<std::uint32_t>(data[p + 1]) << 8);
  }
  bool InFull(Pos p) const { return p >= 0 && p <= full - 2; }
  unsigned At(Pos p) const {
    if (!In(p)) return kNoForm;
    const std::uint32_t u = Unit(p);
    return u < 0x80 ? u : NonAscii(p, u);
  }
  unsigned NonAscii(Pos p, std::uint32_t u) const {
    if (codePage == CodePage::Windows1252) return Cp1252Byte(u);
    if (u < 0x800) return 0xC0 | (u >> 6);
    if (IsHighSurrogate(u)) {
      if (!InFull(p + 2) || !IsLowSurrogate(Unit(p + 2))) return kNoForm;
      return 0xF0 | (CombineSurrogates(u, Unit(p + 2)) >> 18);
    }
    if (IsLowSurrogate(u)) {
      // The second half of a pair stands for the rest of the character: a continuation byte.
      if (!InFull(p - 2) || !IsHighSurrogate(Unit(p - 2))) return kNoForm;
      return 0x80 | ((CombineSurrogates(Unit(p - 2), u) >> 12) & 0x3F);
    }
    return 0xE0 | (u >> 12);
  }
};

// Collects a value from single-byte text: bytes as they are. Runs of neighbouring bytes are
// appended at once, when the run breaks and at Finish.
struct AnsiWriter {
  std::string* out;
  int count = 0;
  const std::uint8_t* runStart = nullptr;
  const std::uint8_t* runEnd = nullptr;
  void Put(const AnsiReader& r, Pos p) {
    ++count;
    if (out == nullptr) return;
    const std::uint8_t* at = r.data + p;
    if (at != runEnd) {
      Flush();
      runStart = at;
    }
    runEnd = at + 1;
  }
  // Put for the n bytes from p.
  void PutRun(const AnsiReader& r, Pos p, Pos n) {
    count += static_cast<int>(n);
    if (out == nullptr) return;
    const std::uint8_t* at = r.data + p;
    if (at != runEnd) {
      Flush();
      runStart = at;
    }
    runEnd = at + n;
  }
  void Flush() {
    if (runStart != runEnd) {
      out->append(reinterpret_cast<const char*>(runStart),
                  static_cast<std::size_t>(runEnd - runStart));
    }
    runStart = runEnd = nullptr;
  }
  void Finish() {
    if (out != nullptr) Flush();
  }
};

// Collects a value from UTF-16 text in the code page: UTF-8 with surrogate pairs joined (a
// lone surrogate reads as '_'), or Windows-1252 bytes ('_' for units without one).
struct WideWriter {
  std::string* out;
  int count = 0;
  std::uint32_t pendingHigh = 0;
  Pos pendingAt = -1;

  void Byte(unsigned char b) {
    ++count;
    if (out != nullptr) out->push_back(static_cast<char>(b));
  }
  void CodePoint(char32_t cp) {
    count += Utf8Length(cp);
    if (out != nullptr) AppendUtf8(*out, cp);
  }
  void Put(const WideReader& r, Pos p) {
    const std::uint32_t u = r.Unit(p);
    if (r.codePage == CodePage::Windows1252) {
      Byte(Cp1252Byte(u));
      return;
    }
    if (pendingAt >= 0) {
      const bool pairs = IsLowSurrogate(u) && p == pendingAt + 2;
      const std::uint32_t high = pendingHigh;
      pendingAt = -1;
      if (pairs) {
        CodePoint(CombineSurrogates(high, u));
        return;
      }
      Byte(kNoForm);
    }
    if (IsHighSurrogate(u)) {
      pendingHigh = u;
      pendingAt = p;
    } else if (IsLowSurrogate(u)) {
      Byte(kNoForm);
    } else {
      CodePoint(u);
    }
  }
  void Finish() {
    if (pendingAt >= 0) Byte(kNoForm);
    pendingAt = -1;
  }
};

template <class R>
bool MatchesFolded(const R& r, Pos p, std::string_view pattern) {
  if constexpr (std::is_same_v<R, AnsiReader>) {
    if (p < 0 || p > r.limit) return pattern.empty();
    if (static_cast<std::size_t>(r.limit - p) < pattern.size()) return false;
    const std::uint8_t* at = r.data + p;
    for (const char ch : pattern) {
      if (Upper(*at++) != Upper(static_cast<unsigned char>(ch))) return false;
    }
    return true;
  }
  for (const char ch : pattern) {
    if (!r.In(p) || Upper(r.At(p)) != Upper(static_cast<unsigned char>(ch))) return false;
    p += R::kWidth;
  }
  return true;
}

// A '<' or '>' whose next character is not '=': the end of a tag.
template <class R>
bool EndsTag(const R& r, Pos p, unsigned c) {
  return (c == '<' || c == '>') && r.At(p + R::kWidth) != '=';
}

template <class R>
Pos FindTagIn(const R& r, std::string_view name, Pos from) {
  for (Pos p = from; r.In(p); p += R::kWidth) {
    if (r.At(p) == '<' && MatchesFolded(r, p + R::kWidth, name)) return p;
  }
  return kNone;
}

Pos FindTagAnsi(const AnsiReader& r, std::string_view name, Pos from) {
  if (from < 0) return kNone;
  const auto lead = name.empty() ? 'A' : static_cast<unsigned char>(name.front());
  if (Upper(lead) < 'A' || Upper(lead) > 'Z') {
    // A name that begins with another character than a letter, as "!--" does: that character
    // is far rarer than '<', so the search looks for it and then back for the '<'.
    for (Pos p = from + 1; p < r.limit; ++p) {
      const void* hit = std::memchr(r.data + p, lead, static_cast<std::size_t>(r.limit - p));
      if (hit == nullptr) return kNone;
      p = static_cast<const std::uint8_t*>(hit) - r.data;
      if (r.data[p - 1] == '<' && MatchesFolded(r, p, name)) return p - 1;
    }
    return kNone;
  }
  Pos p = from;
  while (p < r.limit) {
    const void* hit = std::memchr(r.data + p, '<', static_cast<std::size_t>(r.limit - p));
    if (hit == nullptr) return kNone;
    p = static_cast<const std::uint8_t*>(hit) - r.data;
    if (MatchesFolded(r, p + 1, name)) return p;
    ++p;
  }
  return kNone;
}

template <class R>
Pos PastControls(const R& r, Pos p) {
  while (r.In(p) && IsControl(r.At(p)))
    p += R::kWidth;
  return r.In(p) ? p : kNone;
}

template <class R>
Pos NextAfterTagIn(const R& r, Pos position) {
  for (Pos p = position; r.In(p); p += R::kWidth) {
    if (r.At(p) == '>' && r.At(p + R::kWidth) != '=') return PastControls(r, p + R::kWidth);
  }
  return kNone;
}

Pos NextAfterTagAnsi(const AnsiReader& r, Pos position) {
  if (position < 0) return kNone;
  Pos p = position;
  while (p < r.limit) {
    const void* hit = std::memchr(r.data + p, '>', static_cast<std::size_t>(r.limit - p));
    if (hit == nullptr) return kNone;
    p = static_cast<const std::uint8_t*>(hit) - r.data;
    if (r.At(p + 1) != '=') return PastControls(r, p + 1);
    ++p;
  }
  return kNone;
}

template <class R>
bool IsStopChar(const R& r, Pos p, StopMode mode) {
  const unsigned c = r.At(p);
  switch (mode) {
    case StopMode::LessThan:
      return c == '<' && r.At(p + R::kWidth) != '=';
    case StopMode::GreaterThan:
      return c == '>' && r.At(p + R::kWidth) != '=';
    case StopMode::None:
      return false;
    case StopMode::DoubleQuote:
      return c == '"';
    case StopMode::Apostrophe:
      return c == '\'';
    case StopMode::EscapedDoubleQuote:
      return c == '\\' && r.At(p + R::kWidth) == '"';
    case StopMode::EscapedApostrophe:
      return c == '\\' && r.At(p + R::kWidth) == '\'';
    case StopMode::Blank:
      return c == ' ';
  }
  return false;
}

template <class R>
Pos FindTextIn(const R& r, std::string_view needle, Pos from, StopMode mode) {
  const bool stopsMatch = mode >= StopMode::DoubleQuote;
  for (Pos p = from; r.In(p); p += R::kWidth) {
    Pos q = p;
    bool matched = true;
    for (const char ch : needle) {
      if (!r.In(q)) {  // beyond the end: a mismatch, and never a stop character
        matched = false;
        break;
      }
      const bool stop = mode != StopMode::None && IsStopChar(r, q, mode);
      if ((stop && stopsMatch) || Upper(r.At(q)) != Upper(static_cast<unsigned char>(ch))) {
        if (stop) return kNone;
        matched = false;
        break;
      }
      q += R::kWidth;
    }
    if (matched) return p;
  }
  return kNone;
}

// The common case of the page scans: single-byte text, no stop character. Candidates are
// found by their first byte in either letter case.
Pos FindTextAnsiNoStop(const AnsiReader& r, std::string_view needle, Pos from) {
  if (from < 0 || from >= r.limit) return kNone;
  if (needle.empty()) return from;
  const auto first = static_cast<unsigned char>(needle[0]);
  const unsigned char lower = (first >= 'A' && first <= 'Z') ? first + 32 : first;
  const unsigned char upper = static_cast<unsigned char>(Upper(first));
  const auto n = static_cast<Pos>(needle.size());
  const std::string_view rest = needle.substr(1);
  const Pos last = r.limit - n;  // the last place a match can begin
  // The next place of each case of the first byte, found with memchr and kept until passed.
  const auto next = [&](unsigned char c, Pos at) {
    if (at > last) return last + 1;
    const void* hit = std::memchr(r.data + at, c, static_cast<std::size_t>(last - at + 1));
    return hit == nullptr ? last + 1 : static_cast<const std::uint8_t*>(hit) - r.data;
  };
  Pos nextLower = next(lower, from);
  Pos nextUpper = lower == upper ? last + 1 : next(upper, from);
  while (true) {
    const Pos p = std::min(nextLower, nextUpper);
    if (p > last) return kNone;
    if (MatchesFolded(r, p + 1, rest)) return p;
    if (p == nextLower) nextLower = next(lower, p + 1);
    if (p == nextUpper) nextUpper = next(upper, p + 1);
  }
}

// The first stop character of the mode at or after from, or the end of the text.
Pos FirstStopAnsi(const AnsiReader& r, Pos from, StopMode mode) {
  char c = 0;
  switch (mode) {
    case StopMode::None:
      return r.limit;
    case StopMode::LessThan:
      c = '<';
      break;
    case StopMode::GreaterThan:
      c = '>';
      break;
    case StopMode::DoubleQuote:
      c = '"';
      break;
    case StopMode::Apostrophe:
      c = '\'';
      break;
    case StopMode::EscapedDoubleQuote:
    case StopMode::EscapedApostrophe:
      c = '\\';
      break;
    case StopMode::Blank:
      c = ' ';
      break;
  }
  for (Pos p = from; p < r.limit; ++p) {
    const void* hit = std::memchr(r.data + p, c, static_cast<std::size_t>(r.limit - p));
    if (hit == nullptr) break;
    p = static_cast<const std::uint8_t*>(hit) - r.data;
    if (IsStopChar(r, p, mode)) return p;
  }
  return r.limit;
}

// FindTextIn over single-byte text for a needle that holds none of the characters that stop
// the search: a match counts only when it ends before the first stop character.
Pos FindTextAnsiBeforeStop(const AnsiReader& r, std::string_view needle, Pos from, StopMode mode) {
  if (from < 0 || from >= r.limit) return kNone;
  AnsiReader before = r;
  before.limit = FirstStopAnsi(r, from, mode);
  if (from >= before.limit) return kNone;
  return FindTextAnsiNoStop(before, needle, from);
}

struct ValueResult {
  int span = 0;
  int quote = 0;
  QuoteKind kind = QuoteKind::Unquoted;
};

template <class R>
QuoteKind OpeningQuoteIn(const R& r, Pos p, bool parenthesis) {
  const unsigned c = r.At(p);
  if (c == '"') return QuoteKind::DoubleQuote;
  if (c == '\'') return QuoteKind::Apostrophe;
  if (c == '\\') {
    const unsigned next = r.At(p + R::kWidth);
    if (next == '"') return QuoteKind::EscapedDoubleQuote;
    if (next == '\'') return QuoteKind::EscapedApostrophe;
  }
  if (parenthesis && c == '(') return QuoteKind::Parenthesis;
  return QuoteKind::Unquoted;
}

// Steps over the quotes that open a value at p and returns where its content begins. Several
// may stand one after another, each of a later kind than the one before (as in "' or "\"); the
// last one is the value's quote. res gets its kind and length and counts every character passed.
template <class R>
Pos PastOpeningQuotes(const R& r, Pos p, bool parenthesis, ValueResult& res) {
  for (QuoteKind kind = OpeningQuoteIn(r, p, parenthesis); kind > res.kind;
       kind = OpeningQuoteIn(r, p, parenthesis)) {
    const int length = QuoteLength(kind);
    res = {res.span + length, length, kind};
    p += length * R::kWidth;
  }
  return p;
}

// Bytes of single-byte text that neither end an attribute token nor open a quoted section in
// it (a blank, a control, a tag bracket, a quote or a backslash do): the token walk steps over
// runs of them at once.
constexpr std::array<bool, 256> kPlainTokenBytes = [] {
  std::array<bool, 256> t{};
  for (int c = 33; c < 256; ++c)
    t[static_cast<std::size_t>(c)] = true;
  for (const char c : {'<', '>', '"', '\'', '\\'})
    t[static_cast<unsigned char>(c)] = false;
  return t;
}();

// Bytes that a value of any quote kind and mode takes as they are: no control or NUL, blank,
// quote, backslash, parenthesis or tag bracket, which may end a value or need a closer look.
constexpr std::array<bool, 256> kPlainValueBytes = [] {
  std::array<bool, 256> t{};
  for (int c = 33; c < 256; ++c)
    t[static_cast<std::size_t>(c)] = true;
  for (const char c : {'"', '\'', '\\', '(', ')', '<', '>'})
    t[static_cast<unsigned char>(c)] = false;
  return t;
}();

// Bytes that go on a tag name without ending it (NUL, a blank, a quote, '>' or a backslash that
// may open an escaped quote end it or need a closer look).
constexpr std::array<bool, 256> kPlainNameBytes = [] {
  std::array<bool, 256> t{};
  for (int c = 1; c < 256; ++c)
    t[static_cast<std::size_t>(c)] = true;
  for (const char c : {' ', '"', '\'', '>', '\\'})
    t[static_cast<unsigned char>(c)] = false;
  return t;
}();

// The end of the run of plain value bytes (kPlainValueBytes) that begins at from, limit at most.
Pos PlainValueRunEnd(const std::uint8_t* data, Pos from, Pos limit) {
  Pos q = from;
#if defined(__SSE2__)
  // Sixteen bytes at a time; a run that ends early is told by the first block.
  for (; limit - q >= 16; q += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + q));
    const __m128i marks =
        _mm_or_si128(_mm_or_si128(blocks::InRange(v, 0, ' '), blocks::InRange(v, '\'', 2)),
                     _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                               _mm_cmpeq_epi8(v, _mm_set1_epi8('\\'))),
                                  _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('<')),
                                               _mm_cmpeq_epi8(v, _mm_set1_epi8('>')))));
    const auto bits = static_cast<unsigned>(_mm_movemask_epi8(marks));
    if (bits != 0) return q + std::countr_zero(bits);
  }
#endif
  while (q < limit && kPlainValueBytes[data[q]])
    ++q;
  return q;
}

template <class R, class W>
int ExtractValueIn(const R& r, Pos position, W& writer, ValueMode mode, ValueResult& res,
                   ValueRunOutMemo* runOutMemo) {
  constexpr Pos w = R::kWidth;
  Pos p = PastOpeningQuotes(r, position, mode == ValueMode::StyleUrl, res);

  // A value of this kind and mode that began earlier ran out without ending: so does this one.
  Pos* runOut = runOutMemo == nullptr
                    ? nullptr
                    : &runOutMemo->From[static_cast<int>(res.kind)][static_cast<int>(mode)];
  const Pos contentStart = p;
  const bool knownToRunOut = runOut != nullptr && *runOut >= 0 && contentStart >= *runOut;

  // In UTF-16 text the last unit reads as '_' together with its (missing) successor, so a
  // value can only end before it; reaching it means the text ran out.
  const auto usable = [&](Pos at) { return r.In(at) && (R::kWidth == 1 || r.In(at + w)); };
  while (!knownToRunOut && usable(p)) {
    if constexpr (std::is_same_v<R, AnsiReader>) {
      const Pos q = PlainValueRunEnd(r.data, p, r.limit);
      if (q != p) {
        writer.PutRun(r, p, q - p);
        res.span += static_cast<int>(q - p);
        p = q;
        continue;
      }
    }
    const unsigned c = r.At(p);
    const unsigned d = r.At(p + w);
    if (IsControl(c)) {
      ++res.span;
      p += w;
      continue;
    }
    if (c == 0) {
      writer.Finish();
      return writer.count;
    }
    bool ends = false;
    int closing = 0;
    switch (res.kind) {
      case QuoteKind::Unquoted:
        ends = c == ' ' || c == '"' || c == '\'' || (c == '\\' && (d == '"' || d == '\''));
        break;
      case QuoteKind::DoubleQuote:
        ends = c == '"';
        closing = 1;
        break;
      case QuoteKind::Apostrophe:
        ends = c == '\'';
        closing = 1;
        break;
      case QuoteKind::Parenthesis:
        ends = c == ')';
        closing = 1;
        break;
      case QuoteKind::EscapedDoubleQuote:
        ends = c == '\\' && d == '"';
        closing = 2;
        break;
      case QuoteKind::EscapedApostrophe:
        ends = c == '\\' && d == '\'';
        closing = 2;
        break;
    }
    if (ends) {
      res.span += closing;
      writer.Finish();
      return writer.count;
    }
    switch (mode) {
      case ValueMode::TagAttribute:
        ends = (c == '<' || c == '>') && d != '=';
        break;
      case ValueMode::StyleUrl:
        break;
      case ValueMode::Rewriter:
        ends = c == '>' && d != '=';
        break;
      case ValueMode::TagName:
        ends = c == '>' || c == ' ';
        break;
    }
    if (ends) {
      writer.Finish();
      return writer.count;
    }
    writer.Put(r, p);
    ++res.span;
    p += w;
  }
  // The text ran out before the value ended.
  if (runOut != nullptr && (*runOut < 0 || contentStart < *runOut)) *runOut = contentStart;
  if (writer.out != nullptr) writer.out->clear();
  res.span = 0;
  return 0;
}

// Steps over the quoted section opening at p, if any: returns the position after its closing
// quote, p itself when no quote opens there, or kNone when the quote never closes.
template <class R>
Pos PastQuotedSection(const R& r, Pos p) {
  constexpr Pos w = R::kWidth;
  const unsigned c = r.At(p);
  if (c == '"' || c == '\'') {
    if constexpr (std::is_same_v<R, AnsiReader>) {
      if (!r.In(p + 1)) return kNone;
      const void* hit = std::memchr(r.data + p + 1, static_cast<int>(c),
                                    static_cast<std::size_t>(r.limit - p - 1));
      return hit == nullptr ? kNone : static_cast<const std::uint8_t*>(hit) - r.data + 1;
    }
    for (Pos q = p + w; r.In(q); q += w) {
      if (r.At(q) == c) return q + w;
    }
    return kNone;
  }
  if (c == '\\') {
    const unsigned quote = r.At(p + w);
    if (quote != '"' && quote != '\'') return p;
    for (Pos q = p + 2 * w; r.In(q); q += w) {
      if (r.At(q) == '\\' && r.At(q + w) == quote) return q + 2 * w;
    }
    return kNone;
  }
  return p;
}

template <class R>
Pos SkipBlanks(const R& r, Pos p) {
  while (r.In(p) && IsBlankOrControl(r.At(p)))
    p += R::kWidth;
  return p;
}

// With kFirstOnly the value is read only until its length is known not to be 0.
template <bool kFirstOnly = false, class R, class W>
int FindAttributeIn(const R& r, std::string_view name, Pos from, W& writer, Pos* valuePosition,
                    bool prefixOnly) {
  constexpr Pos w = R::kWidth;
  Pos p = from;
  while (true) {
    p = SkipBlanks(r, p);
    if (!r.In(p) || r.At(p) == 0) return 0;

    // Match the name at this token. Names hold no quotes, so a quoted section is a mismatch;
    // the token walk below steps over it.
    std::size_t k = 0;
    for (; k < name.size(); ++k) {
      if (!r.In(p)) return 0;
      const unsigned c = r.At(p);
      if ((c == '"' || c == '\'' || c == '\\') &&
          OpeningQuoteIn(r, p, false) != QuoteKind::Unquoted)
        break;
      if (EndsTag(r, p, c)) return 0;
      if (Upper(c) != Upper(static_cast<unsigned char>(name[k]))) break;
      p += w;
    }
    if (k == name.size()) {
      if (prefixOnly) return 1;
      const unsigned next = r.At(p);
      const bool whole = !r.In(p) || next <= 32 || next == '=' || next == '<' || next == '>';
      if (whole) break;
      // A longer name that only begins with `name`: another attribute.
    }

    // Move to the end of this token.
    while (true) {
      if constexpr (std::is_same_v<R, AnsiReader>) {
        while (p < r.limit && kPlainTokenBytes[r.data[p]])
          ++p;
      }
      if (!r.In(p)) return 0;
      const unsigned c = r.At(p);
      if (c < 33) break;
      if (EndsTag(r, p, c)) return 0;
      const Pos after = PastQuotedSection(r, p);
      if (after == kNone) return 0;
      p = after != p ? after : p + w;
    }
  }

  // The whole name matched: '=' and the value must follow.
  p = SkipBlanks(r, p);
  if (r.At(p) != '=') return 0;
  p = SkipBlanks(r, p + w);
  if (!r.In(p) || r.At(p) == 0) return 0;
  if (valuePosition != nullptr) *valuePosition = p;

  ValueResult opening;
  p = PastOpeningQuotes(r, p, false, opening);
  const QuoteKind kind = opening.kind;

  const Pos valueStart = p;
  for (; r.In(p); p += w) {
    if constexpr (std::is_same_v<R, AnsiReader>) {
      // A plain first byte is enough to know that the value is not empty.
      if constexpr (kFirstOnly) {
        if (kPlainValueBytes[r.data[p]]) return 1;
      }
      const Pos q = PlainValueRunEnd(r.data, p, r.limit);
      if (q != p) {
        writer.PutRun(r, p, q - p);
        p = q - 1;  // the step of the loop goes on at q
        continue;
      }
    }
    const unsigned c = r.At(p);
    if (c == 0 || EndsTag(r, p, c)) break;
    const unsigned d = r.At(p + w);
    bool closes = false;
    switch (kind) {
      case QuoteKind::Unquoted:
        closes = c == ' ' || c == '"' || c == '\'' || (c == '\\' && (d == '"' || d == '\''));
        break;
      case QuoteKind::DoubleQuote:
        closes = c == '"' && p != valueStart;
        break;
      case QuoteKind::Apostrophe:
        closes = c == '\'' && p != valueStart;
        break;
      case QuoteKind::EscapedDoubleQuote:
        closes = c == '\\' && d == '"' && p != valueStart;
        break;
      case QuoteKind::EscapedApostrophe:
        closes = c == '\\' && d == '\'' && p != valueStart;
        break;
      case QuoteKind::Parenthesis:
        break;
    }
    if (closes) break;
    if (IsControl(c)) continue;
    writer.Put(r, p);
    if constexpr (kFirstOnly) {
      if (writer.count > 0) return writer.count;
    }
  }
  writer.Finish();
  return writer.count;
}

bool IsWide(const TextView& text) {
  return text.Encoding != FileEncoding::Ansi;
}

Pos ClampedEnd(const TextView& text, Pos end) {
  return std::clamp<Pos>(end, 0, text.Size);
}

}  // namespace

char16_t Cp1252Unit(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

unsigned char CharAt(const TextView& text, Pos position) {
  if (IsWide(text)) return static_cast<unsigned char>(WideReader(text, text.Size).At(position));
  return static_cast<unsigned char>(AnsiReader(text, text.Size).At(position));
}

Pos FindTag(const TextView& text, std::string_view name, Pos from) {
  if (IsWide(text)) return FindTagIn(WideReader(text, text.Size), name, from);
  return FindTagAnsi(AnsiReader(text, text.Size), name, from);
}

namespace {

// The names of a set that begin with each (folded) character, as a bit set per character, and
// those whose second character may be each character (a name of one character takes any).
// For single-byte text, names of up to 8 characters are also held as 8 bytes to compare with
// the text at once: a letter matches either case (the byte with bit 5 cleared), anything else
// only itself.
struct FirstCharIndex {
  std::uint64_t masks[256] = {};
  std::uint64_t second[256] = {};
  std::array<std::uint64_t, 64> folded{};
  std::array<std::uint64_t, 64> foldMask{};
  std::array<bool, 64> short8{};
  explicit FirstCharIndex(std::span<const std::string_view> names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i].empty()) continue;
      const unsigned c = Upper(static_cast<unsigned char>(names[i].front()));
      masks[c] |= std::uint64_t{1} << i;
      masks[FoldLower(static_cast<char>(c)) & 0xFF] |= std::uint64_t{1} << i;
      if (names[i].size() == 1) {
        for (std::uint64_t& m : second)
          m |= std::uint64_t{1} << i;
      } else {
        const unsigned d = Upper(static_cast<unsigned char>(names[i][1]));
        second[d] |= std::uint64_t{1} << i;
        second[FoldLower(static_cast<char>(d)) & 0xFF] |= std::uint64_t{1} << i;
      }
      short8[i] = names[i].size() <= 8;
      if (!short8[i]) continue;
      for (std::size_t k = 0; k < names[i].size(); ++k) {
        const unsigned u = Upper(static_cast<unsigned char>(names[i][k]));
        const bool letter = u >= 'A' && u <= 'Z';
        folded[i] |= std::uint64_t{u} << (8 * k);
        foldMask[i] |= std::uint64_t{letter ? 0xDFu : 0xFFu} << (8 * k);
      }
    }
  }
};

// Inlined: it runs for every '<' of a page, and a call would cost more than its usual work.
template <class R>
[[gnu::always_inline]] inline void CollectAt(const R& r, Pos p, const FirstCharIndex& first,
                                             std::span<const std::string_view> names,
                                             std::span<std::vector<std::uint32_t>> lists) {
  std::uint64_t mask = first.masks[r.At(p + R::kWidth) & 0xFF];
  if (mask != 0) mask &= first.second[r.At(p + 2 * R::kWidth) & 0xFF];
  if constexpr (std::is_same_v<R, AnsiReader>) {
    if (mask != 0 && p + 9 <= r.limit) {
      std::uint64_t ahead = 0;
      std::memcpy(&ahead, r.data + p + 1, sizeof ahead);
      if constexpr (std::endian::native == std::endian::big) ahead = __builtin_bswap64(ahead);
      while (mask != 0) {
        const int i = std::countr_zero(mask);
        mask &= mask - 1;
        const auto n = static_cast<std::size_t>(i);
        const bool match = first.short8[n] ? (ahead & first.foldMask[n]) == first.folded[n]
                                           : MatchesFolded(r, p + 1, names[n]);
        if (match) lists[n].push_back(static_cast<std::uint32_t>(p));
      }
      return;
    }
  }
  while (mask != 0) {
    const int i = std::countr_zero(mask);
    mask &= mask - 1;
    if (MatchesFolded(r, p + R::kWidth, names[static_cast<std::size_t>(i)])) {
      lists[static_cast<std::size_t>(i)].push_back(static_cast<std::uint32_t>(p));
    }
  }
}

#if defined(URLSMITH_AVX2)
// The '<' of single-byte text thirty-two bytes at a time, on processors with AVX2, while whole
// blocks are left; returns where it stopped.
[[gnu::target("avx2")]] Pos CollectAvx2(const AnsiReader& r, const FirstCharIndex& first,
                                        std::span<const std::string_view> names,
                                        std::span<std::vector<std::uint32_t>> lists,
                                        std::vector<std::uint32_t>* every) {
  const __m256i lt = _mm256_set1_epi8('<');
  Pos p = 0;
  for (; r.limit - p >= 32; p += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r.data + p));
    for (auto marks = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(v, lt)));
         marks != 0; marks &= marks - 1) {
      const Pos at = p + std::countr_zero(marks);
      if (every != nullptr) every->push_back(static_cast<std::uint32_t>(at));
      CollectAt(r, at, first, names, lists);
    }
  }
  return p;
}
#endif

}  // namespace

void CollectTagPositions(const TextView& text, std::span<const std::string_view> names,
                         std::span<std::vector<std::uint32_t>> lists,
                         std::vector<std::uint32_t>* every) {
  for (auto& list : lists)
    list.clear();
  if (every != nullptr) {
    every->clear();
    every->reserve(static_cast<std::size_t>(text.Size / 32));
  }
  if (names.size() > 64 || lists.size() < names.size()) return;
  const FirstCharIndex first(names);
  if (IsWide(text)) {
    const WideReader r(text, text.Size);
    for (Pos p = 0; r.In(p); p += WideReader::kWidth) {
      if (r.Unit(p) != '<') continue;
      if (every != nullptr) every->push_back(static_cast<std::uint32_t>(p));
      CollectAt(r, p, first, names, lists);
    }
    return;
  }
  const AnsiReader r(text, text.Size);
  Pos p = 0;
#if defined(URLSMITH_AVX2)
  if (__builtin_cpu_supports("avx2")) p = CollectAvx2(r, first, names, lists, every);
#endif
#if defined(__SSE2__)
  // Sixteen bytes at a time: the '<' of a block are taken one after the other from one look.
  const __m128i lt = _mm_set1_epi8('<');
  for (; r.limit - p >= 16; p += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r.data + p));
    for (auto marks = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lt))); marks != 0;
         marks &= marks - 1) {
      const Pos at = p + std::countr_zero(marks);
      if (every != nullptr) every->push_back(static_cast<std::uint32_t>(at));
      CollectAt(r, at, first, names, lists);
    }
  }
#endif
  while (p < r.limit) {
    const void* hit = std::memchr(r.data + p, '<', static_cast<std::size_t>(r.limit - p));
    if (hit == nullptr) return;
    p = static_cast<const std::uint8_t*>(hit) - r.data;
    if (every != nullptr) every->push_back(static_cast<std::uint32_t>(p));
    CollectAt(r, p, first, names, lists);
    ++p;
  }
}

Pos FindTagOutsideScripts(const TextView& text, Pos from, std::string_view name,
                          std::span<const Pos> scriptStarts, std::span<const Pos> scriptEnds) {
  Pos p = FindTag(text, name, from);
  while (p != kNone) {
    // The last script block that starts before p.
    const auto start = std::lower_bound(scriptStarts.begin(), scriptStarts.end(), p);
    if (start == scriptStarts.begin()) return p;
    const Pos blockStart = *(start - 1);
    // Where that block ends.
    const auto end = std::upper_bound(scriptEnds.begin(), scriptEnds.end(), blockStart);
    if (end == scriptEnds.end()) return kNone;  // the block never closes
    if (*end < p) return p;
    p = NextAfterTag(text, p);
    if (p == kNone) return kNone;
    p = FindTag(text, name, p);
  }
  return kNone;
}

Pos NextAfterTag(const TextView& text, Pos position) {
  if (IsWide(text)) return NextAfterTagIn(WideReader(text, text.Size), position);
  return NextAfterTagAnsi(AnsiReader(text, text.Size), position);
}

Pos FindText(const TextView& text, Pos end, std::string_view needle, Pos from, StopMode mode) {
  const Pos limit = ClampedEnd(text, end);
  if (IsWide(text)) return FindTextIn(WideReader(text, limit), needle, from, mode);
  const AnsiReader reader(text, limit);
  if (mode == StopMode::None) return FindTextAnsiNoStop(reader, needle, from);
  if (!needle.empty() && needle.find_first_of("<> \"'\\") == std::string_view::npos) {
    return FindTextAnsiBeforeStop(reader, needle, from, mode);
  }
  return FindTextIn(reader, needle, from, mode);
}

QuoteKind OpeningQuote(const TextView& text, Pos position, bool parenthesis) {
  if (IsWide(text)) return OpeningQuoteIn(WideReader(text, text.Size), position, parenthesis);
  return OpeningQuoteIn(AnsiReader(text, text.Size), position, parenthesis);
}

int ExtractValue(const TextView& text, Pos position, std::string* valueOut, ValueMode mode,
                 int* spanOut, int* quoteOut, QuoteKind* kindOut) {
  if (valueOut != nullptr) valueOut->clear();
  ValueResult res;
  int count = 0;
  if (IsWide(text)) {
    WideWriter writer{valueOut};
    count = ExtractValueIn(WideReader(text, text.Size), position, writer, mode, res, text.RunOut);
  } else {
    AnsiWriter writer{valueOut};
    count = ExtractValueIn(AnsiReader(text, text.Size), position, writer, mode, res, text.RunOut);
  }
  if (spanOut != nullptr) *spanOut = res.span;
  if (quoteOut != nullptr) *quoteOut = res.quote;
  if (kindOut != nullptr) *kindOut = res.kind;
  return count;
}

bool PlainQuotedValue(const TextView& text, Pos position, std::string_view& content) {
  if (IsWide(text) || position < 0 || position + 1 >= text.Size) return false;
  const std::uint8_t* data = text.Data;
  const std::uint8_t quote = data[position];
  if (quote != '"' && quote != '\'') return false;
  // A quote, apostrophe or backslash right after it may open a second quote (as in "' or "\").
  const Pos start = position + 1;
  if (!kPlainValueBytes[data[start]] && data[start] != quote) return false;
  const Pos end = PlainValueRunEnd(data, start, text.Size);
  if (end >= text.Size || data[end] != quote) return false;
  content = std::string_view(reinterpret_cast<const char*>(data + start),
                             static_cast<std::size_t>(end - start));
  return true;
}

std::string TextBetween(const TextView& text, Pos from, Pos end) {
  std::string out;
  end = std::min(end, text.Size);
  auto collect = [&](const auto& r, auto& writer) {
    constexpr Pos w = std::remove_cvref_t<decltype(r)>::kWidth;
    for (Pos p = from; p < end && r.In(p); p += w) {
      const unsigned c = r.At(p);
      if (c == 0) break;
      if (!IsControl(c)) writer.Put(r, p);
    }
    writer.Finish();
  };
  if (IsWide(text)) {
    WideWriter writer{&out};
    collect(WideReader(text, end), writer);
  } else {
    AnsiWriter writer{&out};
    collect(AnsiReader(text, end), writer);
  }
  return out;
}

int TagNameSpan(const TextView& text, Pos position) {
  const AnsiReader r(text, text.Size);
  const unsigned first = r.At(position);
  if (IsWide(text) || ((first == '"' || first == '\'' || first == '\\') &&
                       OpeningQuoteIn(r, position, false) != QuoteKind::Unquoted)) {
    int span = 0;
    ExtractValue(text, position, nullptr, ValueMode::TagName, &span, nullptr);
    return span;
  }
  // ExtractValue's walk for an unquoted value in the tag-name mode, on single-byte text.
  Pos* runOut = text.RunOut == nullptr ? nullptr
                                       : &text.RunOut->From[static_cast<int>(QuoteKind::Unquoted)]
                                                           [static_cast<int>(ValueMode::TagName)];
  if (runOut != nullptr && *runOut >= 0 && position >= *runOut) return 0;
  int span = 0;
  for (Pos p = position; r.In(p); ++p) {
    const Pos plainEnd = std::find_if_not(r.data + p, r.data + r.limit,
                                          [](std::uint8_t b) { return kPlainNameBytes[b]; }) -
                         r.data;
    span += static_cast<int>(plainEnd - p);
    p = plainEnd;
    if (!r.In(p)) break;
    const unsigned c = r.data[p];
    if (c == 0 || c == ' ' || c == '"' || c == '\'' || c == '>') return span;
    if (c == '\\') {
      const unsigned d = r.At(p + 1);
      if (d == '"' || d == '\'') return span;
    }
    ++span;
  }
  if (runOut != nullptr && (*runOut < 0 || position < *runOut)) *runOut = position;
  return 0;
}

namespace {

// What TagMayHaveAttributeBeginning does at a byte of the tag that is no plain token byte.
enum class TagByte { Next, Quote, NoAttribute, Maybe };

// The look at the byte at q (not a plain token byte) of a tag; for a quote the caller steps over
// the quoted section.
TagByte LookAtTagByte(const AnsiReader& r, const std::uint8_t* q, std::string_view prefix,
                      std::uint8_t lead, bool skipped, Pos* tagEnd) {
  const std::uint8_t* const end = r.data + r.limit;
  const unsigned c = *q;
  const unsigned next = q + 1 < end ? q[1] : kNoForm;
  if (c == '>') {
    // The end of the tag, where FindAttribute stops at the latest.
    if (next == '=') return TagByte::Next;
    if (tagEnd != nullptr && !skipped) *tagEnd = PastControls(r, q + 1 - r.data);
    return TagByte::NoAttribute;
  }
  if (c == '"' || c == '\'') return TagByte::Quote;
  if (c == '\\') return next == '"' || next == '\'' ? TagByte::Maybe : TagByte::Next;
  // A '<' may stand in the tag name, before the place where the attributes begin.
  if (c == '<') return next != '=' ? TagByte::Maybe : TagByte::Next;
  if (c == 0) return TagByte::Maybe;
  // A blank or a control: an attribute may begin after it.
  if ((next | 0x20) == lead && MatchesFolded(r, q + 1 - r.data, prefix)) return TagByte::Maybe;
  return TagByte::Next;
}

}  // namespace

bool TagMayHaveAttributeBeginning(const TextView& text, Pos tag, std::string_view prefix,
                                  Pos* tagEnd) {
  if (IsWide(text) || prefix.empty()) return true;
  const AnsiReader r(text, text.Size);
  if (!r.In(tag) || r.data[tag] != '<') return true;
  // The first letter of the prefix in lower case: a byte with bit 5 set equals it only when
  // it is that letter in either case.
  const auto lead = static_cast<std::uint8_t>(FoldLower(prefix.front()));
  const std::uint8_t* const data = r.data;
  const std::uint8_t* const end = data + r.limit;
  bool skipped = false;  // a quoted section was passed at once
  // The name ends at the first blank, quote or '>' (TagNameSpan), so up to there nothing opens
  // a quoted section, and from there on the walk below sees the sections FindAttribute skips.
  // Every attribute FindAttribute reads after the first begins after a blank or control; the
  // first begins at the end of the name, on a blank, a quote or a '>', none of them a letter.
  const std::uint8_t* q = data + tag + 1;
#if defined(__SSE2__)
  // Sixteen bytes at a time: the bytes that need a look are marked at once (blanks and controls
  // only where an 'o' follows them), and the marks of a block are taken one after the other, a
  // quoted section that closes in the block included, so that a short tag costs one look at its
  // bytes.
  const __m128i blank = _mm_set1_epi8(32);
  const __m128i caseBit = _mm_set1_epi8(0x20);
  const __m128i leadByte = _mm_set1_epi8(static_cast<char>(lead));
  const __m128i nul = _mm_setzero_si128();
  const __m128i lt = _mm_set1_epi8('<');
  const __m128i gt = _mm_set1_epi8('>');
  const __m128i dq = _mm_set1_epi8('"');
  const __m128i ap = _mm_set1_epi8('\'');
  const __m128i bs = _mm_set1_epi8('\\');
  while (end - q > 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    const __m128i following = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1));
    const __m128i isDq = _mm_cmpeq_epi8(v, dq);
    const __m128i isAp = _mm_cmpeq_epi8(v, ap);
    const __m128i beforeLead =
        _mm_and_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, blank), v),
                      _mm_cmpeq_epi8(_mm_or_si128(following, caseBit), leadByte));
    const __m128i look = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(beforeLead, _mm_cmpeq_epi8(v, nul)), _mm_or_si128(isDq, isAp)),
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                     _mm_cmpeq_epi8(v, bs)));
    auto marks = static_cast<unsigned>(_mm_movemask_epi8(look));
    const std::uint8_t* after = q + 16;  // where the next block begins
    while (marks != 0) {
      const int i = std::countr_zero(marks);
      const unsigned c = q[i];
      if (c == '"' || c == '\'') {
        skipped = true;
        // The closing quote: in this block, or found from its end.
        const auto same =
            static_cast<unsigned>(_mm_movemask_epi8(c == '"' ? isDq : isAp)) & ~((2u << i) - 1);
        if (same != 0) {
          marks &= ~((2u << std::countr_zero(same)) - 1);
          continue;
        }
        const void* close =
            std::memchr(q + 16, static_cast<int>(c), static_cast<std::size_t>(end - q - 16));
        if (close == nullptr) return true;
        after = static_cast<const std::uint8_t*>(close) + 1;
        break;
      }
      if (c == '>' && q[i + 1] != '=') {
        // The end of the tag, where FindAttribute stops at the latest.
        if (tagEnd != nullptr && !skipped) *tagEnd = PastControls(r, q + i + 1 - data);
        return false;
      }
      if (LookAtTagByte(r, q + i, prefix, lead, skipped, tagEnd) == TagByte::Maybe) return true;
      marks &= marks - 1;
    }
    q = after;
  }
#endif
  for (; q < end; ++q) {
    while (q < end && kPlainTokenBytes[*q])
      ++q;
    if (q >= end) break;
    switch (LookAtTagByte(r, q, prefix, lead, skipped, tagEnd)) {
      case TagByte::Next:
        continue;
      case TagByte::NoAttribute:
        return false;
      case TagByte::Maybe:
        return true;
      case TagByte::Quote:
        break;
    }
    const void* close =
        std::memchr(q + 1, static_cast<int>(*q), static_cast<std::size_t>(end - q - 1));
    if (close == nullptr) return true;
    q = static_cast<const std::uint8_t*>(close);
    skipped = true;
  }
  return true;
}

bool HasAttributeValue(const TextView& text, std::string_view name, Pos from, Pos* valuePosition) {
  if (valuePosition != nullptr) *valuePosition = kNone;
  if (IsWide(text)) {
    WideWriter writer{nullptr};
    return FindAttributeIn<true>(WideReader(text, text.Size), name, from, writer, valuePosition,
                                 false) != 0;
  }
  AnsiWriter writer{nullptr};
  return FindAttributeIn<true>(AnsiReader(text, text.Size), name, from, writer, valuePosition,
                               false) != 0;
}

int FindAttribute(const TextView& text, std::string_view name, Pos from, std::string* valueText,
                  Pos* valuePosition, bool prefixOnly) {
  if (valueText != nullptr) valueText->clear();
  if (valuePosition != nullptr) *valuePosition = kNone;
  if (IsWide(text)) {
    WideWriter writer{valueText};
    return FindAttributeIn(WideReader(text, text.Size), name, from, writer, valuePosition,
                           prefixOnly);
  }
  AnsiWriter writer{valueText};
  return FindAttributeIn(AnsiReader(text, text.Size), name, from, writer, valuePosition,
                         prefixOnly);
}

namespace {

template <class R>
void ListAttributesIn(const R& r, Pos from, std::vector<AttributeToken>& out) {
  constexpr Pos w = R::kWidth;
  Pos p = from;
  while (true) {
    p = SkipBlanks(r, p);
    if (!r.In(p) || r.At(p) == 0) return;
    Pos q = p;
    while (r.In(q)) {
      const unsigned c = r.At(q);
      if (c <= 32 || c == '=' || c == '<' || c == '>') break;
      q += w;
    }
    out.push_back({p, static_cast<int>((q - p) / w)});
    // To the end of this attribute, as FindAttribute steps over one that is not the one asked.
    while (true) {
      if (!r.In(p)) return;
      const unsigned c = r.At(p);
      if (c < 33) break;
      if (EndsTag(r, p, c)) return;
      const Pos after = PastQuotedSection(r, p);
      if (after == kNone) return;
      p = after != p ? after : p + w;
    }
  }
}

template <class R>
bool NameBegins(const R& r, const AttributeToken& token, std::string_view name) {
  return static_cast<std::size_t>(token.NameLength) >= name.size() &&
         MatchesFolded(r, token.Start, name);
}

}  // namespace

void ListAttributes(const TextView& text, Pos from, std::vector<AttributeToken>& out) {
  out.clear();
  if (IsWide(text)) {
    ListAttributesIn(WideReader(text, text.Size), from, out);
  } else {
    ListAttributesIn(AnsiReader(text, text.Size), from, out);
  }
}

// An attribute is the one asked when its name is the name (a name that only begins with it is
// another attribute's); with prefixOnly, when its name begins with it. FindAttribute decides
// at the first such attribute: from there on it reads the same as from the start.
int FindListedAttribute(const TextView& text, std::span<const AttributeToken> attributes,
                        std::string_view name, Pos* valuePosition, bool prefixOnly) {
  if (valuePosition != nullptr) *valuePosition = kNone;
  for (const AttributeToken& token : attributes) {
    const bool begins = IsWide(text) ? NameBegins(WideReader(text, text.Size), token, name)
                                     : NameBegins(AnsiReader(text, text.Size), token, name);
    if (!begins) continue;
    if (prefixOnly) return 1;
    if (static_cast<std::size_t>(token.NameLength) != name.size()) continue;
    return FindAttribute(text, name, token.Start, nullptr, valuePosition, false);
  }
  return 0;
}

}  // namespace urlsmith
