#include "fuzz_support.h"

#include <algorithm>

namespace urlsmith::fuzzing {

void MemoryFileSystem::Put(std::string path, std::vector<std::uint8_t> bytes) {
  files_[std::move(path)] = std::move(bytes);
}

void MemoryFileSystem::ReadWholeFile(const std::string& path, ReadResult& into) {
  into.Error.clear();
  const auto it = files_.find(path);
  if (it == files_.end()) {
    into.Status = ReadStatus::Unreadable;
    into.Bytes.clear();
    into.Error = "No such file";
    return;
  }
  into.Status = it->second.empty() ? ReadStatus::Empty : ReadStatus::Ok;
  into.Bytes.assign(it->second.begin(), it->second.end());
}

std::optional<std::vector<std::uint8_t>> MemoryFileSystem::ReadPrefix(const std::string& path,
                                                                      std::size_t count) {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  const std::size_t n = std::min(count, it->second.size());
  return std::vector<std::uint8_t>(it->second.begin(),
                                   it->second.begin() + static_cast<std::ptrdiff_t>(n));
}

std::optional<std::vector<DirEntry>> MemoryFileSystem::ListFolder(const std::string& folder) {
  if (!IsDirectory(folder)) return std::nullopt;
  std::string prefix = folder;
  if (prefix.empty() || (prefix.back() != '/' && prefix.back() != '\\')) prefix.push_back('/');
  std::vector<DirEntry> entries;
  for (const auto& [path, bytes] : files_) {
    if (path.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = path.substr(prefix.size());
    const std::size_t sep = rest.find_first_of("/\\");
    DirEntry e{rest.substr(0, sep), sep != std::string::npos};
    if (std::none_of(entries.begin(), entries.end(),
                     [&](const DirEntry& d) { return d.Name == e.Name; })) {
      entries.push_back(std::move(e));
    }
  }
  return entries;
}

bool MemoryFileSystem::IsDirectory(const std::string& path) {
  if (files_.count(path) != 0) return false;
  std::string prefix = path;
  if (prefix.empty() || (prefix.back() != '/' && prefix.back() != '\\')) prefix.push_back('/');
  const auto it = files_.lower_bound(prefix);
  return it != files_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
}

bool MemoryFileSystem::Exists(const std::string& path) {
  return files_.count(path) != 0 || IsDirectory(path);
}

std::string MemoryFileSystem::CanonicalPath(const std::string& path) {
  return Exists(path) ? path : std::string();
}

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

}  // namespace

PageInput ReadPageInput(const std::uint8_t* data, std::size_t size) {
  PageInput input;
  if (size < 2) return input;
  input.Flags0 = data[0];
  input.Flags1 = data[1];
  const std::uint8_t* rest = data + 2;
  const std::size_t n = size - 2;
  switch (input.Flags0 & 3) {
    case 0:
      input.Bytes.assign(rest, rest + n);
      break;
    case 1:
      input.Bytes = {0xFF, 0xFE};
      input.Bytes.insert(input.Bytes.end(), rest, rest + n);
      break;
    default: {
      const bool big = (input.Flags0 & 3) == 3;
      input.Bytes =
          big ? std::vector<std::uint8_t>{0xFE, 0xFF} : std::vector<std::uint8_t>{0xFF, 0xFE};
      for (std::size_t i = 0; i < n; ++i) {
        input.Bytes.push_back(big ? 0 : rest[i]);
        input.Bytes.push_back(big ? rest[i] : 0);
      }
      break;
    }
  }
  return input;
}

Site MakeSite(const PageInput& input) {
  const bool windows = (input.Flags0 & 8) != 0;
  const std::string root = windows ? "D:\\site\\" : "/site/";
  const auto at = [&](std::string relative) {
    if (windows) std::replace(relative.begin(), relative.end(), '/', '\\');
    return root + relative;
  };
  static constexpr const char* kPageNames[] = {"page.htm", "style/page.css", "js/page.js",
                                               "info/page.html"};
  Site site;
  site.Files = std::make_shared<MemoryFileSystem>();
  site.PagePath = at(kPageNames[(input.Flags0 >> 4) & 3]);
  site.Files->Put(site.PagePath, input.Bytes);
  const std::pair<const char*, const char*> others[] = {
      {"index.htm", "<a href=\"page.htm\">p</a><img src=\"img/logo.gif\">"},
      {"img/logo.gif", "GIF89a"},
      {"img/bg.gif", "GIF89a"},
      {"my recipes.htm", "<!-- saved from url=(0026)http://www.example.com/r/ -->"},
      {"info/contact.htm", "<a href=\"../index.htm\">home</a>"},
      {"style/site.css", "body { background: url(../img/bg.gif) }"},
      {"products/items/item.htm", ""},
  };
  site.Session =
      std::make_unique<SearchSession>(windows ? PathStyle::Windows : PathStyle::Posix, site.Files);
  SearchSession& s = *site.Session;
  s.FileList.Append(site.PagePath);
  for (const auto& [name, text] : others) {
    s.FileList.Append(at(name));
    site.Files->Put(at(name), Bytes(text));
  }
  s.CodePage = (input.Flags0 & 4) != 0 ? CodePage::Windows1252 : CodePage::Utf8;
  s.Search.CheckInternetUrls = false;
  s.Search.ScanScriptsByTag = (input.Flags0 & 0x40) != 0;
  s.Search.UseSavedFromUrl = (input.Flags0 & 0x80) == 0;
  s.Search.UseBaseUrl = (input.Flags1 & 1) != 0;
  s.Search.BaseUrl = "http://www.example.com/";
  s.Search.KeepUncheckedInternetUrls = (input.Flags1 & 2) != 0;
  s.Processing.UrlForm = (input.Flags1 & 4) != 0 ? UrlFormKind::Absolute : UrlFormKind::Relative;
  s.Processing.TargetAdderEnabled = (input.Flags1 & 8) != 0;
  s.Processing.DeleteScriptLinks = (input.Flags1 & 0x10) != 0;
  s.Processing.DeleteUnknownProtocols = (input.Flags1 & 0x20) != 0;
  s.Processing.AddProtocolNames = (input.Flags1 & 0x40) == 0;
  s.Processing.CanonicalizeUrls = (input.Flags1 & 0x80) == 0;
  s.CacheReset();
  return site;
}

}  // namespace urlsmith::fuzzing
