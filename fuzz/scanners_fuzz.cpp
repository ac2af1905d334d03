// The link search over one page in any encoding, with a few other files listed beside it:
// every row must lie inside the page and agree with its character width.
#include <cstdlib>

#include "engine/search_run.h"
#include "fuzz_support.h"

using namespace urlsmith;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzing::PageInput input = fuzzing::ReadPageInput(data, size);
  fuzzing::Site site = fuzzing::MakeSite(input);
  NullRunView view;
  RunSearch(*site.Session, view);
  const Pos pageSize = static_cast<Pos>(input.Bytes.size());
  const SearchSession& s = *site.Session;
  const Pos width = s.FileEncoding.empty() || s.FileEncoding[0] == FileEncoding::Ansi ? 1 : 2;
  for (const LinkEntry& row : s.LinkTable) {
    if (row.FileIndex != 0) continue;
    const Pos end = row.ValuePos + static_cast<Pos>(row.SpanLength) * width;
    if (row.ValuePos < 0 || row.SpanLength < 0 || end > pageSize || row.ValuePos % width != 0 ||
        row.QuoteLength < 0 || row.QuoteLength > 2 || row.TagPos >= pageSize) {
      std::abort();
    }
  }
  for (const std::int32_t fix : s.FixList) {
    if (fix < 0 || fix >= s.LinkCount()) std::abort();
  }
  return 0;
}
