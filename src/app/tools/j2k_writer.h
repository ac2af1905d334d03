// Encodes a picture as a raw JPEG 2000 codestream with OpenJPEG: the format the program's
// pictures are built in with.
#pragma once

#include <cstdint>
#include <vector>

namespace urlsmith::app {

struct PicturePlanes {
  int Width = 0;
  int Height = 0;
  int Precision = 8;
  std::vector<std::vector<std::int32_t>> Components;  // one plane per component, row by row
};

// Lossless (reversible wavelet) unless `ratio` > 0, which asks for that compression ratio.
// Empty on failure.
std::vector<std::uint8_t> EncodeCodestream(const PicturePlanes& picture, float ratio = 0);

}  // namespace urlsmith::app
