// The URL operations on arbitrary strings: decoding, escaping, separators, relative paths,
// fragments and masks.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "text/url_ops.h"

using namespace urlsmith;

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

// The characters that an escaped URL never holds unescaped.
bool Unsafe(unsigned char c) {
  return c <= 32 || c == 0x7F ||
         std::string_view("\"'<>[]\\^{}~").find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string a = in.ConsumeRandomLengthString(512);
  const std::string b = in.ConsumeRandomLengthString(512);
  const PathStyle style = in.ConsumeBool() ? PathStyle::Windows : PathStyle::Posix;
  const bool urlForm = in.ConsumeBool();

  for (const CodePage cp : {CodePage::Utf8, CodePage::Windows1252}) {
    std::string decoded;
    const int n = DecodeUrl(a, &decoded, cp);
    Check(n == DecodeUrl(a, nullptr, cp));
    Check(n >= 0);
  }

  std::string escaped;
  const int escapes = EscapeUrl(a, &escaped);
  Check(escapes == EscapeUrl(a, nullptr));
  Check(escaped.size() == a.size() + 2 * static_cast<std::size_t>(escapes));
  Check(EscapeUrl(escaped, nullptr) == 0);
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const auto c = static_cast<unsigned char>(escaped[i]);
    if (c >= 0x80) continue;  // bytes of other characters are left as they are
    Check(!Unsafe(c));
    Check(c != '%' || IsPercentEscape(escaped, i));
  }

  for (const bool toUrl : {true, false}) {
    std::string s = a;
    ConvertSeparators(s, toUrl, style);
    Check(s.size() == a.size());
    std::string part = a;
    ConvertSeparators(part, std::min<std::size_t>(part.size(), b.size()), toUrl, style);
    Check(part.size() == a.size());
  }

  std::string before, fragment;
  SplitFragment(a, &before, &fragment);
  Check(before + fragment == a);
  Check(fragment.empty() || fragment[0] == '#');
  SplitFragment(a, nullptr, nullptr);

  (void)MakeRelativePath(a, b, urlForm, style);
  (void)MakeRelativePath(b, a, !urlForm, style);

  Check(MatchUrlMask(a, "") && MatchUrlMask("", b) && MatchUrlMask(a, "*"));
  (void)MatchUrlMask(a, b);
  Check(MatchUrlMask(a, a.find_first_of(";*?") == std::string::npos ? a : "*"));
  return 0;
}
