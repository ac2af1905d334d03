// Pure string operations on URLs and paths, shared by the search, the review and the rewriter.
// None touches files, the network or the user interface. Results are returned in std::string,
// so values of any length are handled.
#pragma once

#include <string>
#include <string_view>

#include "text/text_types.h"

namespace urlsmith {

// Whether s[i] is '%' followed by two hexadecimal digits.
bool IsPercentEscape(std::string_view s, std::size_t i);
// Appends the escape of a byte: '%' and two upper-case hexadecimal digits.
void AppendPercentEscape(std::string& out, unsigned char c);

// Converts separators in place between file-path form and URL form. The converted region starts
// after the first "://" (else, Windows style, at the '\' of the first ":\"; else at the start)
// and ends at `len` or at the first '#' or '?'. Windows style: to URL form ':'->'|' and '\'->'/',
// to path form '|'->':' and '/'->'\'. POSIX style: '\' becomes '/' in both directions; '|' and
// ':' are kept.
void ConvertSeparators(std::string& s, std::size_t len, bool toUrl, PathStyle style);
inline void ConvertSeparators(std::string& s, bool toUrl, PathStyle style) {
  ConvertSeparators(s, s.size(), toUrl, style);
}

// The reference from the folder of fromPath (a file) to target, with '/' and "../" (urlForm) or
// the style's own separators. Only the text after a "://" of target is used; folders are compared
// ignoring ASCII letter case. A target wrapped in double quotes gives a wrapped result. When the
// two folders share nothing (Windows: no leading character; POSIX: nothing but the root "/",
// while the page does not lie in the root itself) the result is absolute: "file:///" + target
// (Windows URL form), "file://" + target (POSIX URL form, target absolute), or the target itself
// (path form).
std::string MakeRelativePath(std::string_view fromPath, std::string_view target, bool urlForm,
                             PathStyle style);

// Text before the first '#' and the fragment from that '#' on (either output may be null).
void SplitFragment(std::string_view url, std::string* before, std::string* fragment);

// Decodes "%hh" escapes and the character entities of the entity table (exact letter case).
// Returns how many were decoded; dst may be null (count only). Entities are written in the code
// page: UTF-8 bytes, or the single ISO 8859-1 byte with CodePage::Windows1252. A decoded NUL ends
// the decoded text (the count still covers the whole source).
int DecodeUrl(std::string_view src, std::string* dst, CodePage codePage = CodePage::Utf8);

// Escapes unsafe characters as "%HH": control characters (NUL included), 0x7F, space, " ' < > [ ]
// \ ^ { } ~, and a '%' that does not start an existing "%hh" escape. Returns the count; dst may be
// null (the test whether a URL needs escaping).
int EscapeUrl(std::string_view src, std::string* dst);

// What a URL as written needs, found in one pass: Escaping is EscapeUrl(url, nullptr) > 0,
// Decoding whether it has a '&' or a '%' (without them DecodeUrl gives the URL as it is).
struct UrlNeeds {
  bool Escaping = false;
  bool Decoding = false;
};
UrlNeeds WhatUrlNeeds(std::string_view url);

// Matches text against ';'-separated wildcard masks ('*' any run, a run of k '?' exactly k
// characters, anything else literal with exact letter case). Literals after '*' take their first
// occurrence; of adjacent '*' and '?' runs only the last counts. Text after the end of a mask is
// allowed. An empty text or an empty mask list matches.
bool MatchUrlMask(std::string_view text, std::string_view maskList);

}  // namespace urlsmith
