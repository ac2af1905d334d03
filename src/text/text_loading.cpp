#include "text/text_loading.h"

namespace urlsmith {

FileEncoding DetectEncodingFromBytes(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2) return FileEncoding::Ansi;
  if (bytes[0] == 0xFF && bytes[1] == 0xFE) return FileEncoding::Utf16Le;
  if (bytes[0] == 0xFE && bytes[1] == 0xFF) return FileEncoding::Utf16Be;
  return FileEncoding::Ansi;
}

FileEncoding DetectEncoding(FileSystem& fs, const std::string& path) {
  auto prefix = fs.ReadPrefix(path, 2);
  if (!prefix) return FileEncoding::Ansi;
  return DetectEncodingFromBytes(prefix->data(), prefix->size());
}

}  // namespace urlsmith
