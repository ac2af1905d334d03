// The text primitives: every reader of page text goes through them. They take the whole text
// of a file (TextView), walk it one character at a time (one byte in single-byte text, one
// 2-byte unit in UTF-16 text) and take and return byte offsets. Comparisons are made against
// single-byte patterns through CharAt, so the same code serves every encoding.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/text_types.h"

namespace urlsmith {

// Where FindText gives up.
enum class StopMode : int {
  LessThan = 0,            // a '<' not followed by '='
  GreaterThan = 1,         // a '>' not followed by '='
  None = 2,                // never
  DoubleQuote = 3,         // a '"'
  Apostrophe = 4,          // a '\''
  EscapedDoubleQuote = 5,  // a '\' followed by '"'
  EscapedApostrophe = 6,   // a '\' followed by '\''
  Blank = 7,               // a ' '
};

// What ends a value in ExtractValue, besides its quote.
enum class ValueMode : int {
  TagAttribute = 0,  // a '<' or '>' not followed by '='
  StyleUrl = 1,      // nothing; an opening '(' is a quote closed by ')'
  Rewriter = 2,      // a '>' not followed by '='
  TagName = 3,       // any '>' and a blank
};

// Quote kinds found at the start of a value.
enum class QuoteKind : int {
  Unquoted = 0,
  DoubleQuote = 1,
  Apostrophe = 2,
  EscapedDoubleQuote = 3,
  EscapedApostrophe = 4,
  Parenthesis = 5,
};

// Characters of a quote of this kind: 0, 1, or 2 for a backslash and its quote.
constexpr int QuoteLength(QuoteKind kind) {
  switch (kind) {
    case QuoteKind::Unquoted:
      return 0;
    case QuoteKind::EscapedDoubleQuote:
    case QuoteKind::EscapedApostrophe:
      return 2;
    case QuoteKind::DoubleQuote:
    case QuoteKind::Apostrophe:
    case QuoteKind::Parenthesis:
      return 1;
  }
  return 0;
}

// The run-out memo has a slot for every quote kind and value mode.
static_assert(ValueRunOutMemo::kKinds == static_cast<int>(QuoteKind::Parenthesis) + 1);
static_assert(ValueRunOutMemo::kModes == static_cast<int>(ValueMode::TagName) + 1);

// The character at a byte offset as a single byte: the byte itself in single-byte text; for a
// UTF-16 unit, ASCII units as themselves, others as the first byte of their form in the code
// page (UTF-8: the lead byte; Windows-1252: the byte, or '_' when it has none). A lone
// surrogate, or a position outside the text, reads as '_'.
unsigned char CharAt(const TextView& text, Pos position);

// '<' followed by name (ASCII case ignored; an empty name matches every '<'), searched from
// `from`; the offset of the '<' or kNone.
Pos FindTag(const TextView& text, std::string_view name, Pos from);

// The positions FindTag finds for each of `names` (none of them empty), collected in one walk
// over the text: lists[i] receives, ascending, every offset p with FindTag(text, names[i], p) == p.
// Offsets fit 32 bits because texts of 2 GiB or more are never read. With `every`, that list
// receives the offset of every tag opening (FindTag with an empty name) as well.
void CollectTagPositions(const TextView& text, std::span<const std::string_view> names,
                         std::span<std::vector<std::uint32_t>> lists,
                         std::vector<std::uint32_t>* every = nullptr);

// FindTag that skips tags lying inside script blocks (scriptStarts/scriptEnds ascending).
Pos FindTagOutsideScripts(const TextView& text, Pos from, std::string_view name,
                          std::span<const Pos> scriptStarts, std::span<const Pos> scriptEnds);

// The position after the '>' (not followed by '=') that ends the tag at `position` and after
// any control characters following it; kNone when there is none inside the text.
Pos NextAfterTag(const TextView& text, Pos position);

// needle (ASCII case ignored) searched from `from` up to `end` (used in place of the size);
// the match offset or kNone. The stop mode ends the search early.
Pos FindText(const TextView& text, Pos end, std::string_view needle, Pos from, StopMode mode);

// The quote that opens a value at `position`: a double quote, an apostrophe, a backslash
// followed by either, or (with `parenthesis`) a '('; Unquoted when none opens there.
QuoteKind OpeningQuote(const TextView& text, Pos position, bool parenthesis);

// Result of reading a value.
struct ExtractedValue {
  std::string value;  // the value as UTF-8 (or the code page's bytes); quotes not included
  int Span = 0;       // characters the written value occupies, quotes and controls included
  int Quote = 0;      // characters of the opening quote (0, 1 or 2)
  QuoteKind Kind = QuoteKind::Unquoted;
};

// Reads the value that begins at `position`. Returns the number of bytes of `value` (0 when the
// text ran out before the value ended: then value is empty and span 0). valueOut, spanOut,
// quoteOut may each be null.
int ExtractValue(const TextView& text, Pos position, std::string* valueOut, ValueMode mode,
                 int* spanOut, int* quoteOut, QuoteKind* kindOut = nullptr);

// The common value of a tag attribute, read at once: in single-byte text, a double quote or an
// apostrophe at `position` whose content up to the same quote holds no quote, backslash,
// parenthesis, tag bracket, blank or control. Gives that content as it stands in the text, which
// is what ExtractValue(text, position, ..., ValueMode::TagAttribute, ...) reads there (its span
// is the content's length plus 2 and its quote 1); false for any other value.
bool PlainQuotedValue(const TextView& text, Pos position, std::string_view& content);

// The characters from `from` up to `end` as ExtractValue writes a value's characters: UTF-8 (or
// the code page's bytes), control characters left out, a NUL ending the text.
std::string TextBetween(const TextView& text, Pos from, Pos end);

// The span of the value at `position` read in the tag-name mode: ExtractValue(text, position,
// nullptr, ValueMode::TagName, &span, nullptr), faster.
int TagNameSpan(const TextView& text, Pos position);

// Reads the attributes of one tag from `from` to the tag's end and finds the attribute `name`
// (ASCII case ignored). Only a whole attribute name matches; a longer name that merely begins
// with `name` is another attribute. Returns the byte length of the value (0 when absent or
// empty); valuePosition receives the offset of the value's first character (its opening quote
// included). With prefixOnly, returns non-zero as soon as some attribute name begins with name.
// Whether FindAttribute(text, name, from, nullptr, valuePosition, false) is not 0: the same
// search, which stops at the value's first character instead of reading the value to its end.
bool HasAttributeValue(const TextView& text, std::string_view name, Pos from, Pos* valuePosition);

int FindAttribute(const TextView& text, std::string_view name, Pos from, std::string* valueText,
                  Pos* valuePosition, bool prefixOnly);

// A quick test for the tag whose '<' is at `tag`: false only when no attribute of the tag, read
// from the end of its name (TagNameSpan) as FindAttribute reads them, begins with `prefix` (a
// name that begins with a letter), that is when FindAttribute(text, prefix, nameEnd, nullptr,
// nullptr, true) is 0. One short pass over the tag's bytes; true when the tag needs the full
// reading (UTF-16 text, a tag bracket, NUL or escaped quote inside the tag, an unclosed quote).
// When it says no and came across the end of the tag on the way, tagEnd (when not null)
// receives NextAfterTag(text, tag); otherwise tagEnd is left as it is.
bool TagMayHaveAttributeBeginning(const TextView& text, Pos tag, std::string_view prefix,
                                  Pos* tagEnd = nullptr);

// One attribute of a tag as FindAttribute walks them: where it begins and the length of its
// name (up to a blank, a control, '=', '<' or '>').
struct AttributeToken {
  Pos Start = 0;
  int NameLength = 0;
};

// The attributes FindAttribute walks from `from`, in order, up to the end of the tag; so that
// many names can be looked up in one tag with one walk.
void ListAttributes(const TextView& text, Pos from, std::vector<AttributeToken>& out);

// FindAttribute(text, name, from, nullptr, valuePosition, prefixOnly) over the attributes that
// ListAttributes gave for `from`.
int FindListedAttribute(const TextView& text, std::span<const AttributeToken> attributes,
                        std::string_view name, Pos* valuePosition, bool prefixOnly);

// Splits a path at its last separator (Windows style: last '\', else last '/'; POSIX: last '/').
// Any output may be null. A drive folder ("C:") becomes "C:\"; the POSIX root folder is "/".
void SplitPath(std::string_view path, PathStyle style, std::string* folderOut,
               std::string* fileNameOut, std::string* baseNameOut, std::string* extensionOut);

// The folder part of a path (SplitPath's folderOut).
std::string FolderOf(std::string_view path, PathStyle style);
// The extension of a path without its dot (SplitPath's extensionOut).
std::string ExtensionOf(std::string_view path, PathStyle style);

// Exchanges the two bytes of every 2-byte unit; with an odd size the last byte stays.
void ByteSwapText(std::uint8_t* buffer, std::size_t size);

// The UTF-16 unit of a Windows-1252 byte (the five unused bytes give the C1 control of the same
// number).
char16_t Cp1252Unit(unsigned char byte);

// The length of the well-formed UTF-8 sequence of a non-ASCII character at s[i] (2 to 4), or 0
// when none starts there (an ASCII byte, a stray or truncated byte, an overlong form, a
// surrogate). codePoint, when not null, receives the character.
int Utf8Sequence(std::string_view s, std::size_t i, char32_t* codePoint);

// UTF-8 for one code point (used when UTF-16 values are written as single-byte text).
void AppendUtf8(std::string& out, char32_t codePoint);

}  // namespace urlsmith
