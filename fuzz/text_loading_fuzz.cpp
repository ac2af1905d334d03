// Encoding detection and the preparation of a text for reading, then the primitives that every
// reader uses, over the prepared text.
#include <cstdlib>

#include "fuzz_support.h"
#include "text/primitives.h"
#include "text/text_loading.h"

using namespace urlsmith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FileEncoding detected = DetectEncodingFromBytes(data, size);
  auto files = std::make_shared<fuzzing::MemoryFileSystem>();
  files->Put("/p.htm", std::vector<std::uint8_t>(data, data + size));
  if (DetectEncoding(*files, "/p.htm") != detected) std::abort();
  if (DetectEncoding(*files, "/missing.htm") != FileEncoding::Ansi) std::abort();

  // Swapping twice gives the bytes back.
  std::vector<std::uint8_t> swapped(data, data + size);
  ByteSwapText(swapped.data(), swapped.size());
  ByteSwapText(swapped.data(), swapped.size());
  if (swapped != std::vector<std::uint8_t>(data, data + size)) std::abort();

  for (const CodePage cp : {CodePage::Utf8, CodePage::Windows1252}) {
    SearchSession session(PathStyle::Posix, files);
    session.CodePage = cp;
    session.FileList.Append("/p.htm");
    std::vector<std::uint8_t> bytes(data, data + size);
    const FileEncoding encoding = session.PrepareText(0, bytes);
    if (encoding != detected) std::abort();
    ValueRunOutMemo memo;
    TextView text = session.View(bytes, encoding);
    text.RunOut = &memo;
    const Pos w = text.width();
    int tags = 0;
    for (Pos p = FindTag(text, "", 0); p != kNone && tags < 64; p = FindTag(text, "", p + w)) {
      if (p < 0 || p >= text.Size || p % w != 0) std::abort();
      ++tags;
      (void)NextAfterTag(text, p);
      std::string value;
      Pos valuePos = kNone;
      const int n = FindAttribute(text, "href", p, &value, &valuePos, false);
      if (n > 0 && (valuePos < p || valuePos >= text.Size)) std::abort();
      for (const ValueMode mode : {ValueMode::TagAttribute, ValueMode::StyleUrl,
                                   ValueMode::Rewriter, ValueMode::TagName}) {
        int span = 0, quote = 0;
        const Pos at = p + w;
        ExtractValue(text, at, &value, mode, &span, &quote);
        if (span < 0 || at + static_cast<Pos>(span) * w > text.Size || quote > 2) std::abort();
      }
      (void)FindText(text, text.Size, "url(", p, StopMode::GreaterThan);
    }
  }
  return 0;
}
