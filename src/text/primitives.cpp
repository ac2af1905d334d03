// PLACEHOLDER: to be replaced by the real primitives.
#include "text/primitives.h"

namespace urlsmith {
unsigned char CharAt(const TextView&, Pos) { return '_'; }
Pos FindTag(const TextView&, std::string_view, Pos) { return kNone; }
Pos FindTagOutsideScripts(const TextView&, Pos, std::string_view, std::span<const Pos>,
                          std::span<const Pos>) {
  return kNone;
}
Pos NextAfterTag(const TextView&, Pos) { return kNone; }
Pos FindText(const TextView&, Pos, std::string_view, Pos, StopMode) { return kNone; }
int ExtractValue(const TextView&, Pos, std::string*, ValueMode, int*, int*, QuoteKind*) {
  return 0;
}
int FindAttribute(const TextView&, std::string_view, Pos, std::string*, Pos*, bool) { return 0; }
}  // namespace urlsmith
