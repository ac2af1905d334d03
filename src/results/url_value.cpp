#include "results/url_value.h"

#include "text/url_ops.h"

namespace urlsmith {

namespace {

constexpr std::string_view kFilePrefix = "file:///";

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

}  // namespace

bool IsDrivePath(std::string_view text, PathStyle style) {
  if (style != PathStyle::Windows || text.size() < 3) return false;
  return (text[1] == ':' && text[2] == '\\') || (text[1] == '|' && text[2] == '/');
}

bool HasNetworkScheme(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSchemeChar(text[i])) {
    ++i;
  }
  if (i < 2 || i >= text.size() || text[i] != ':') return false;
  return !EqualsIgnoreCase(text.substr(0, i), "file");
}

std::string NormalizeUrlValue(std::string_view text, bool canonicalize, PathStyle style) {
  std::string value;
  if (IsDrivePath(text, style)) value.assign(kFilePrefix);
  value.append(text);
  // Only file values carry a drive colon; in any other URL a colon is part of the address.
  const PathStyle conversion = HasNetworkScheme(value) ? PathStyle::Posix : style;
  ConvertSeparators(value, true, conversion);
  if (canonicalize) {
    std::string escaped;
    EscapeUrl(value, &escaped);
    value = std::move(escaped);
  }
  return value;
}

std::string FileUrlOfPath(std::string_view path, PathStyle style) {
  std::string url(style == PathStyle::Windows || !path.starts_with('/') ? "file:///" : "file://");
  url.append(path);
  ConvertSeparators(url, true, style);
  return url;
}

}  // namespace urlsmith
