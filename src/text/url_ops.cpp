// Pure string operations on URLs and paths: separator conversion, relative references, fragment
// splitting, decoding, escaping and wildcard masks.
#include "text/url_ops.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

#include "text/byte_blocks.h"
#include "text/replacement.h"

namespace urlsmith {

namespace {

constexpr std::string_view kSchemeSeparator = "://";
constexpr std::string_view kUpperHexDigits = "0123456789ABCDEF";

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

}  // namespace

bool IsPercentEscape(std::string_view s, std::size_t i) {
  return s[i] == '%' && i + 2 < s.size() && IsHexDigit(s[i + 1]) && IsHexDigit(s[i + 2]);
}

void AppendPercentEscape(std::string& out, unsigned char c) {
  out += '%';
  out += kUpperHexDigits[c >> 4];
  out += kUpperHexDigits[c & 0x0F];
}

namespace {

// ---- Character entities ------------------------------------------------------------------------

struct Entity {
  std::string_view name;  // with the leading '&' and the trailing ';'
  unsigned char code;     // the ISO 8859-1 character
};

// The ISO 8859-1 entities of HTML 4, in code order from 0xA0.
constexpr auto kLatin1EntityNames = std::to_array<std::string_view>({
    "&nbsp;",   "&iexcl;",  "&cent;",   "&pound;",  "&curren;", "&yen;",    "&brvbar;", "&sect;",
    "&uml;",    "&copy;",   "&ordf;",   "&laquo;",  "&not;",    "&shy;",    "&reg;",    "&macr;",
    "&deg;",    "&plusmn;", "&sup2;",   "&sup3;",   "&acute;",  "&micro;",  "&para;",   "&middot;",
    "&cedil;",  "&sup1;",   "&ordm;",   "&raquo;",  "&frac14;", "&frac12;", "&frac34;", "&iquest;",
    "&Agrave;", "&Aacute;", "&Acirc;",  "&Atilde;", "&Auml;",   "&Aring;",  "&AElig;",  "&Ccedil;",
    "&Egrave;", "&Eacute;", "&Ecirc;",  "&Euml;",   "&Igrave;", "&Iacute;", "&Icirc;",  "&Iuml;",
    "&ETH;",    "&Ntilde;", "&Ograve;", "&Oacute;", "&Ocirc;",  "&Otilde;", "&Ouml;",   "&times;",
    "&Oslash;", "&Ugrave;", "&Uacute;", "&Ucirc;",  "&Uuml;",   "&Yacute;", "&THORN;",  "&szlig;",
    "&agrave;", "&aacute;", "&acirc;",  "&atilde;", "&auml;",   "&aring;",  "&aelig;",  "&ccedil;",
    "&egrave;", "&eacute;", "&ecirc;",  "&euml;",   "&igrave;", "&iacute;", "&icirc;",  "&iuml;",
    "&eth;",    "&ntilde;", "&ograve;", "&oacute;", "&ocirc;",  "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;", "&uacute;", "&ucirc;",  "&uuml;",   "&yacute;", "&thorn;",  "&yuml;",
});

static_assert(kLatin1EntityNames.size() == 0x100 - 0xA0, "one name for every byte from 0xA0");

// The entities of the markup characters, tried first.
constexpr Entity kMarkupEntities[] = {
    {"&quot;", 0x22}, {"&amp;", 0x26}, {"&lt;", 0x3C}, {"&gt;", 0x3E}};

constexpr std::size_t kEntityCount = std::size(kMarkupEntities) + kLatin1EntityNames.size();

constexpr std::array<Entity, kEntityCount> MakeEntityTable() {
  std::array<Entity, kEntityCount> table{};
  std::size_t k = 0;
  for (const Entity& markup : kMarkupEntities) {
    table[k++] = markup;
  }
  for (std::size_t i = 0; i < kLatin1EntityNames.size(); ++i) {
    table[k++] = {kLatin1EntityNames[i], static_cast<unsigned char>(0xA0 + i)};
  }
  return table;
}

// The entities that DecodeUrl knows, tried in this order.
constexpr std::array<Entity, kEntityCount> kEntityTable = MakeEntityTable();

// The entities by the character after their '&', each group in table order: only the group of
// the text's character can match, and its first match is the table's first.
struct EntityGroups {
  std::array<std::uint8_t, kEntityCount> order{};
  std::array<std::uint16_t, 257> begin{};  // group c: order[begin[c]] up to order[begin[c + 1]]
};

constexpr EntityGroups MakeEntityGroups() {
  static_assert(kEntityCount <= 256);
  EntityGroups groups;
  for (const Entity& e : kEntityTable)
    ++groups.begin[static_cast<unsigned char>(e.name[1]) + 1];
  for (std::size_t c = 1; c < groups.begin.size(); ++c)
    groups.begin[c] = static_cast<std::uint16_t>(groups.begin[c] + groups.begin[c - 1]);
  std::array<std::uint16_t, 257> next = groups.begin;
  for (std::size_t k = 0; k < kEntityTable.size(); ++k) {
    const auto c = static_cast<unsigned char>(kEntityTable[k].name[1]);
    groups.order[next[c]++] = static_cast<std::uint8_t>(k);
  }
  return groups;
}

constexpr EntityGroups kEntityGroups = MakeEntityGroups();

// The first entity of the table that `rest` (which begins with '&') begins with, or null.
const Entity* EntityAt(std::string_view rest) {
  if (rest.size() < 2) return nullptr;
  const auto c = static_cast<unsigned char>(rest[1]);
  for (std::size_t k = kEntityGroups.begin[c]; k < kEntityGroups.begin[c + 1]; ++k) {
    const Entity& e = kEntityTable[kEntityGroups.order[k]];
    if (rest.starts_with(e.name)) return &e;
  }
  return nullptr;
}

void AppendCharacter(std::string& out, unsigned char code, CodePage codePage) {
  if (code < 0x80 || codePage == CodePage::Windows1252) {
    out += static_cast<char>(code);
    return;
  }
  out += static_cast<char>(0xC0 | (code >> 6));
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// ---- Paths -------------------------------------------------------------------------------------

// The separator written by MakeRelativePath in the given form.
char FormSeparator(bool urlForm, PathStyle style) {
  return urlForm ? '/' : PathSeparator(style);
}

// Where separator conversion starts: after the first "://", else (Windows) at the backslash of
// the first ":\" so that a drive keeps its colon, else at the start.
std::size_t ConversionStart(std::string_view s, PathStyle style) {
  const std::size_t scheme = s.find(kSchemeSeparator);
  if (scheme != std::string_view::npos) return scheme + kSchemeSeparator.size();
  if (style == PathStyle::Windows) {
    const std::size_t drive = s.find(":\\");
    if (drive != std::string_view::npos) return drive + 1;
  }
  return 0;
}

struct FolderAndName {
  std::string folder;
  std::string_view name;
};

// Splits a path at its last separator (Windows: the last '\', else the last '/'). A drive folder
// such as "D:" becomes "D:\"; a path without separator has an empty folder.
FolderAndName SplitFolder(std::string_view path, PathStyle style) {
  const std::size_t sep = LastSeparator(path, style);
  if (sep == std::string_view::npos) return {std::string(), path};
  FolderAndName result{std::string(path.substr(0, sep)), path.substr(sep + 1)};
  if (style == PathStyle::Windows && !result.folder.empty() && result.folder.back() == ':') {
    result.folder += '\\';
  }
  return result;
}

// Brings a folder into the chosen form and makes it end in a separator.
void PrepareFolder(std::string& folder, bool urlForm, PathStyle style) {
  ConvertSeparators(folder, urlForm, style);
  if (folder.empty() || (folder.back() != '\\' && folder.back() != '/')) {
    folder += FormSeparator(urlForm, style);
  }
}

// ---- Masks -------------------------------------------------------------------------------------

// Matches one alternative of a mask list. Adjacent '*' and '?' runs: only the last one counts.
bool MatchAlternative(std::string_view text, std::string_view mask) {
  enum class Wildcard { None, Star, Skip };
  Wildcard pending = Wildcard::None;
  std::size_t skip = 0;
  std::size_t pos = 0;
  std::size_t i = 0;
  while (i < mask.size()) {
    if (mask[i] == '*') {
      while (i < mask.size() && mask[i] == '*')
        ++i;
      pending = Wildcard::Star;
      continue;
    }
    if (mask[i] == '?') {
      skip = 0;
      while (i < mask.size() && mask[i] == '?') {
        ++i;
        ++skip;
      }
      pending = Wildcard::Skip;
      continue;
    }
    const std::size_t start = i;
    while (i < mask.size() && mask[i] != '*' && mask[i] != '?') {
      ++i;
    }
    const std::string_view literal = mask.substr(start, i - start);
    if (pending == Wildcard::Star) {
      const std::size_t found = text.find(literal, pos);
      if (found == std::string_view::npos) return false;
      pos = found + literal.size();
    } else {
      if (pending == Wildcard::Skip) pos += skip;
      if (pos > text.size() || text.substr(pos, literal.size()) != literal) return false;
      pos += literal.size();
    }
    pending = Wildcard::None;
  }
  // A trailing wildcard accepts whatever text remains, and so does the end of the mask.
  return true;
}

}  // namespace

void ConvertSeparators(std::string& s, std::size_t len, bool toUrl, PathStyle style) {
  const std::size_t end = std::min(len, s.size());
  const std::size_t start = ConversionStart(s, style);
  // A POSIX path only ever changes at a backslash: most have none.
  if (style == PathStyle::Posix &&
      (start >= end || std::memchr(s.data() + start, '\\', end - start) == nullptr)) {
    return;
  }
  char* const data = s.data();  // taken once: a write through a char may alias the string
  for (std::size_t i = start; i < end; ++i) {
    char& c = data[i];
    if (c == '#' || c == '?') break;  // query and fragment are never converted
    if (style == PathStyle::Posix) {
      if (c == '\\') c = '/';
    } else if (toUrl) {
      if (c == ':') c = '|';
      if (c == '\\') c = '/';
    } else {
      if (c == '|') c = ':';
      if (c == '/') c = '\\';
    }
  }
}

std::string MakeRelativePath(std::string_view fromPath, std::string_view target, bool urlForm,
                             PathStyle style) {
  std::string out;
  const bool quoted = IsDoubleQuoted(target);
  if (quoted) {
    target = target.substr(1, target.size() - 2);
    out += '"';
  }
  const std::size_t scheme = target.find(kSchemeSeparator);
  if (scheme != std::string_view::npos) target = target.substr(scheme + kSchemeSeparator.size());

  std::string fromFolder = SplitFolder(fromPath, style).folder;
  FolderAndName to = SplitFolder(target, style);
  PrepareFolder(fromFolder, urlForm, style);
  PrepareFolder(to.folder, urlForm, style);

  const std::size_t limit = std::min(fromFolder.size(), to.folder.size());
  std::size_t common = 0;
  while (common < limit && FoldLower(fromFolder[common]) == FoldLower(to.folder[common]))
    ++common;
  std::size_t cut = 0;
  for (std::size_t i = 0; i < common; ++i) {
    if (IsPathSeparator(fromFolder[i], style)) cut = i + 1;
  }

  // Windows: folders without a common leading character (another drive). POSIX: folders that
  // share nothing but the root, unless the page itself lies in the root (no step would climb
  // over it).
  const bool absolute =
      style == PathStyle::Windows ? common == 0 : cut == 0 || (cut == 1 && fromFolder.size() > 1);
  if (absolute) {
    if (urlForm) {
      if (style == PathStyle::Windows || target.empty() || target.front() != '/') {
        out += "file:///";
      } else {
        out += "file://";  // the absolute path brings its own leading '/'
      }
    }
    out += target;
    if (quoted) out += '"';
    ConvertSeparators(out, urlForm, style);
    return out;
  }

  const std::string_view up = (urlForm || style == PathStyle::Posix) ? "../" : "..\\";
  for (std::size_t i = cut; i < fromFolder.size(); ++i) {
    if (IsPathSeparator(fromFolder[i], style)) out += up;
  }
  out.append(to.folder, cut);
  out += to.name;
  if (quoted) out += '"';
  return out;
}

void SplitFragment(std::string_view url, std::string* before, std::string* fragment) {
  const std::size_t hash = std::min(url.find('#'), url.size());
  if (before) before->assign(url.substr(0, hash));
  if (fragment) fragment->assign(url.substr(hash));
}

int DecodeUrl(std::string_view src, std::string* dst, CodePage codePage) {
  if (std::none_of(src.begin(), src.end(), [](char c) { return c == '&' || c == '%'; })) {
    if (dst) dst->assign(src);
    return 0;
  }
  std::string out;
  out.reserve(src.size());
  std::size_t firstNul = std::string::npos;
  int count = 0;
  std::size_t i = 0;
  while (i < src.size()) {
    if (IsPercentEscape(src, i)) {
      const auto byte = static_cast<char>(HexValue(src[i + 1]) * 16 + HexValue(src[i + 2]));
      if (byte == '\0' && firstNul == std::string::npos) firstNul = out.size();
      out += byte;
      i += 3;
      ++count;
      continue;
    }
    if (src[i] == '&') {
      if (const Entity* entity = EntityAt(src.substr(i)); entity != nullptr) {
        AppendCharacter(out, entity->code, codePage);
        i += entity->name.size();
        ++count;
        continue;
      }
    }
    out += src[i];
    ++i;
  }
  // A decoded NUL ends the decoded text; the count still covers the whole source.
  if (firstNul != std::string::npos) out.resize(firstNul);
  if (dst) *dst = std::move(out);
  return count;
}

// The characters EscapeUrl writes as escapes ('%' only when it does not start an existing
// escape).
constexpr std::array<bool, 256> kUnsafeUrlBytes = [] {
  std::array<bool, 256> t{};
  for (int c = 0; c < 0x20; ++c)
    t[static_cast<std::size_t>(c)] = true;
  t[0x7F] = true;
  for (const char c : {' ', '"', '\'', '<', '>', '[', ']', '\\', '^', '{', '}', '~', '%'})
    t[static_cast<unsigned char>(c)] = true;
  return t;
}();

UrlNeeds WhatUrlNeeds(std::string_view url) {
  UrlNeeds needs;
  const auto* data = reinterpret_cast<const unsigned char*>(url.data());
  const std::size_t n = url.size();
  // The bytes of [from, to) one by one.
  const auto look = [&](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
      const unsigned char c = data[i];
      if (c == '&') {
        needs.Decoding = true;
      } else if (kUnsafeUrlBytes[c]) {
        if (c == '%') {
          needs.Decoding = true;
          if (IsPercentEscape(url, i)) continue;
        }
        needs.Escaping = true;
      }
    }
  };
  std::size_t i = 0;
#if defined(__SSE2__)
  // Sixteen bytes at a time: a block without an unsafe byte, a '&' or a '%' is passed at once.
  for (; n - i >= 16; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const __m128i marks = _mm_or_si128(
        _mm_or_si128(_mm_or_si128(blocks::InRange(v, 0, ' '), blocks::InRange(v, '%', 2)),
                     _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                  _mm_cmpeq_epi8(v, _mm_set1_epi8('<')))),
        _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('>')), blocks::InRange(v, '[', 3)),
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('{')), blocks::InRange(v, '}', 2))));
    if (_mm_movemask_epi8(marks) != 0) look(i, i + 16);
    if (needs.Escaping && needs.Decoding) return needs;
  }
#endif
  look(i, n);
  return needs;
}

int EscapeUrl(std::string_view src, std::string* dst) {
  auto unsafe = [](unsigned char c) { return kUnsafeUrlBytes[c]; };
  if (dst == nullptr) {
    // Only the count: the safe characters are passed over at once.
    int count = 0;
    for (std::size_t i = 0; i < src.size(); ++i) {
      const auto c = static_cast<unsigned char>(src[i]);
      if (!unsafe(c)) continue;
      if (IsPercentEscape(src, i)) {
        i += 2;
        continue;
      }
      ++count;
    }
    return count;
  }
  std::string out;
  out.reserve(src.size());
  int count = 0;
  std::size_t i = 0;
  while (i < src.size()) {
    if (IsPercentEscape(src, i)) {
      if (dst) out.append(src.substr(i, 3));
      i += 3;
      continue;
    }
    const auto c = static_cast<unsigned char>(src[i]);
    if (unsafe(c)) {
      ++count;
      if (dst) AppendPercentEscape(out, c);
    } else if (dst) {
      out += static_cast<char>(c);
    }
    ++i;
  }
  if (dst) *dst = std::move(out);
  return count;
}

bool MatchUrlMask(std::string_view text, std::string_view maskList) {
  if (text.empty() || maskList.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(maskList.find(';', start), maskList.size());
    if (MatchAlternative(text, maskList.substr(start, end - start))) return true;
    if (end == maskList.size()) return false;
    start = end + 1;
  }
}

}  // namespace urlsmith
