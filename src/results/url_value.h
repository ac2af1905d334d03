// How a value typed or chosen by the user becomes a URL: the replacement edit of the review and
// the two replacement URLs of the deletion options share these rules.
#pragma once

#include <string>
#include <string_view>

#include "text/text_types.h"

namespace urlsmith {

// A Windows drive path as typed: at least 3 characters whose second and third are ":\" or "|/".
// POSIX style has no drives: nothing is a drive path there (a value beginning with '/' may be a
// site-root link and is kept as typed).
bool IsDrivePath(std::string_view text, PathStyle style);

// True when the value begins with a scheme of two or more characters other than "file" (http:,
// mailto:, javascript:, ...). A one-letter "scheme" is a drive letter.
bool HasNetworkScheme(std::string_view text);

// Normalises a typed value: a drive path gets "file:///" in front, separators are brought into
// URL form, and with `canonicalize` unsafe characters are escaped. In Windows style the drive
// colon of file URLs and drive paths becomes '|'; the colons of other schemes (ports, mailto:)
// are kept: only their backslashes become slashes.
std::string NormalizeUrlValue(std::string_view text, bool canonicalize, PathStyle style);

// The file URL of a chosen file: "file:///" + the path with URL separators (Windows style,
// file:///D|/a/b.gif) or "file://" + the absolute path (POSIX, file:///home/u/a.gif). Not escaped.
std::string FileUrlOfPath(std::string_view path, PathStyle style);

}  // namespace urlsmith
