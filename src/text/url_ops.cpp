// PLACEHOLDER: to be replaced by the real URL operations.
#include "text/url_ops.h"

namespace urlsmith {
void ConvertSeparators(std::string&, std::size_t, bool, PathStyle) {}
std::string MakeRelativePath(std::string_view, std::string_view target, bool, PathStyle) {
  return std::string(target);
}
void SplitFragment(std::string_view url, std::string* before, std::string* fragment) {
  if (before) before->assign(url);
  if (fragment) fragment->clear();
}
int DecodeUrl(std::string_view src, std::string* dst, CodePage) {
  if (dst) dst->assign(src);
  return 0;
}
int EscapeUrl(std::string_view src, std::string* dst) {
  if (dst) dst->assign(src);
  return 0;
}
bool MatchUrlMask(std::string_view, std::string_view) { return false; }
int StripValueMarkers(std::string_view src, std::string* dst, bool) {
  if (dst) dst->assign(src);
  return 0;
}
}  // namespace urlsmith
