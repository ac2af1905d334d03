// Reading web files whole and recognising their encoding.
#pragma once

#include <string>

#include "text/file_system.h"
#include "text/text_types.h"

namespace urlsmith {

// FF FE gives Utf16Le, FE FF gives Utf16Be; anything else, or a file that cannot be opened,
// read, or is shorter than two bytes, gives Ansi.
FileEncoding DetectEncoding(FileSystem& fs, const std::string& path);
FileEncoding DetectEncodingFromBytes(const std::uint8_t* bytes, std::size_t size);

}  // namespace urlsmith
