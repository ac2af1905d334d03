// The path splitter and the small byte helpers of the text layer.
#include "text/primitives.h"

namespace urlsmith {

void SplitPath(std::string_view path, PathStyle style, std::string* folderOut,
               std::string* fileNameOut, std::string* baseNameOut, std::string* extensionOut) {
  const std::size_t sep = LastSeparator(path, style);

  const std::size_t dot = path.rfind('.');
  const bool hasExtension =
      dot != std::string_view::npos && (sep == std::string_view::npos || dot > sep);

  if (folderOut != nullptr) {
    if (sep == std::string_view::npos) {
      folderOut->clear();
    } else {
      folderOut->assign(path.substr(0, sep));
      if (style == PathStyle::Windows && !folderOut->empty() && folderOut->back() == ':') {
        folderOut->push_back('\\');
      } else if (style == PathStyle::Posix && folderOut->empty()) {
        folderOut->assign("/");  // the root folder
      }
    }
  }
  const std::string_view fileName = sep == std::string_view::npos ? path : path.substr(sep + 1);
  if (fileNameOut != nullptr) fileNameOut->assign(fileName);
  if (baseNameOut != nullptr) {
    if (hasExtension) {
      baseNameOut->assign(fileName.substr(0, fileName.size() - (path.size() - dot)));
    } else {
      baseNameOut->assign(fileName);
    }
  }
  if (extensionOut != nullptr) {
    if (hasExtension) {
      extensionOut->assign(path.substr(dot + 1));
    } else {
      extensionOut->clear();
    }
  }
}

std::string FolderOf(std::string_view path, PathStyle style) {
  std::string folder;
  SplitPath(path, style, &folder, nullptr, nullptr, nullptr);
  return folder;
}

std::string ExtensionOf(std::string_view path, PathStyle style) {
  std::string extension;
  SplitPath(path, style, nullptr, nullptr, nullptr, &extension);
  return extension;
}

void ByteSwapText(std::uint8_t* buffer, std::size_t size) {
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    const std::uint8_t t = buffer[i];
    buffer[i] = buffer[i + 1];
    buffer[i + 1] = t;
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

int Utf8Sequence(std::string_view s, std::size_t i, char32_t* codePoint) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned b = at(i);
  int len = 0;
  unsigned lo = 0x80, hi = 0xBF;
  char32_t value = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
    value = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    value = b & 0x0F;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    value = b & 0x07;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + static_cast<std::size_t>(len) > s.size()) return 0;
  for (int k = 1; k < len; ++k) {
    const unsigned c = at(i + static_cast<std::size_t>(k));
    if (c < lo || c > hi) return 0;
    lo = 0x80;
    hi = 0xBF;
    value = (value << 6) | (c & 0x3F);
  }
  if (codePoint != nullptr) *codePoint = value;
  return len;
}

}  // namespace urlsmith
