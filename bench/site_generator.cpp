#include "site_generator.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace urlsmith::bench {

namespace {

namespace fs = std::filesystem;

// Folder of item i in a tree with the given fan-out: "d3/d1/".
std::string FolderFor(int i, int fanOut) {
  std::string folder;
  int n = i / fanOut;
  while (n > 0) {
    folder = "d" + std::to_string(n % fanOut) + "/" + folder;
    n /= fanOut;
  }
  return folder;
}

std::string AssetPath(int i, int fanOut) {
  static const char* kExt[] = {".gif", ".jpg", ".png", ".pdf"};
  return "assets/" + FolderFor(i, fanOut) + "a" + std::to_string(i) + kExt[i % 4];
}

std::string PagePath(int i, int fanOut) {
  return "pages/" + FolderFor(i, fanOut) + "p" + std::to_string(i) + ".htm";
}

// "../" steps from the folder of `from` to the site root.
std::string UpToRoot(const std::string& from) {
  std::string up;
  for (char c : from) {
    if (c == '/') up += "../";
  }
  return up;
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

const char* kFiller =
    "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
    "incididunt ut labore et dolore magna aliqua. <b>Ut enim</b> ad minim veniam.</p>\n";

std::string PageText(const std::string& self, const SiteSpec& spec, std::mt19937& rng, int* links) {
  std::uniform_int_distribution<int> pct(0, 99);
  std::uniform_int_distribution<int> asset(0, std::max(0, spec.assets - 1));
  std::uniform_int_distribution<int> page(0, std::max(0, spec.pages - 1));
  const std::string up = UpToRoot(self);
  std::string t =
      "<!DOCTYPE html>\n<html><head><title>Page</title>\n"
      "<link rel=\"stylesheet\" href=\"" +
      up +
      "style/s0.css\">\n"
      "<script src=\"" +
      up +
      "js/j0.js\"></script>\n"
      "<style>body { background: url(" +
      up +
      "assets/bg.gif) }</style>\n"
      "</head>\n<body onload=\"init()\">\n";
  for (int k = 0; k < spec.linksPerPage; ++k) {
    const bool broken = pct(rng) < spec.brokenPercent;
    const int kind = k % 4;
    std::string target;
    if (kind == 0 || kind == 1) {
      target = up + AssetPath(asset(rng), spec.foldersPerLevel);
    } else {
      target = up + PagePath(page(rng), spec.foldersPerLevel);
    }
    if (broken) target.insert(target.rfind('/') + 1, "missing-");
    if (kind == 0) {
      t += "<img src=\"" + target + "\" alt=\"picture\">\n";
    } else if (kind == 3 && k % 8 == 3) {
      t += "<a href=\"" + target + "#part\" onclick=\"go('http://example.com/x')\">more</a>\n";
    } else {
      t += "<a href=\"" + target + "\">link " + std::to_string(k) + "</a>\n";
    }
    if (k % 3 == 0) t += kFiller;
    ++*links;
  }
  t += "<script>var home = \"http://example.com/\";</script>\n</body></html>\n";
  return t;
}

}  // namespace

std::string GeneratePageText(int linksPerPage, std::uint32_t seed) {
  SiteSpec spec;
  spec.linksPerPage = linksPerPage;
  spec.seed = seed;
  std::mt19937 rng(seed);
  int links = 0;
  return PageText(PagePath(5, spec.foldersPerLevel), spec, rng, &links);
}

SiteStats GenerateSite(const std::string& root, const SiteSpec& spec) {
  SiteStats stats;
  std::mt19937 rng(spec.seed);
  const fs::path base(root);
  auto write = [&](const std::string& rel, const std::string& text) {
    WriteFile(base / rel, text);
    ++stats.files;
    stats.bytes += static_cast<long long>(text.size());
  };
  write("assets/bg.gif", "GIF89a");
  for (int i = 0; i < spec.assets; ++i)
    write(AssetPath(i, spec.foldersPerLevel), "GIF89a");
  for (int i = 0; i < spec.styleSheets; ++i) {
    write("style/s" + std::to_string(i) + ".css",
          "body { background: url(../assets/bg.gif); }\n"
          ".logo { background-image: url(\"../assets/missing-logo.png\"); }\n");
  }
  for (int i = 0; i < spec.scripts; ++i) {
    write("js/j" + std::to_string(i) + ".js",
          "var site = \"http://example.com/\"; // home\n"
          "function init() { return 'ftp://files.example.com/pub'; }\n");
  }
  for (int i = 0; i < spec.pages; ++i) {
    const std::string self = PagePath(i, spec.foldersPerLevel);
    write(self, PageText(self, spec, rng, &stats.links));
  }
  write("index.htm", "<html><body><a href=\"pages/p0.htm\">start</a></body></html>\n");
  return stats;
}

}  // namespace urlsmith::bench
