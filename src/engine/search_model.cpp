#include "engine/search_model.h"

#include <xxhash.h>
#if defined(__x86_64__) && __has_include(<xxh_x86dispatch.h>)
#include <xxh_x86dispatch.h>
#define URLSMITH_XXH3_DISPATCH 1
#endif

#include <algorithm>
#include <thread>

#include "engine/internet_check.h"
#include "text/primitives.h"
#include "text/replacement.h"
#include "text/text_loading.h"
#include "text/url_ops.h"

namespace urlsmith {

RowAction ActionOf(const LinkEntry& row) {
  const ReplacementText r(row.Replacement);
  // An unquoted value that is deleted is written as an empty value with quotes: still a deletion.
  if (r.IsDeletion()) return RowAction::Delete;
  if (r.stored() == row.Url) return RowAction::CopyOld;
  if (r.IsRelative()) return RowAction::ReplaceRelative;
  if (r.IsTarget()) return RowAction::Target;
  return RowAction::Replace;
}

FileKind KindOfPath(std::string_view path, PathStyle style) {
  const std::string ext = ExtensionOf(path, style);
  if (EqualsIgnoreCase(ext, "htm") || EqualsIgnoreCase(ext, "html") ||
      EqualsIgnoreCase(ext, "shtml")) {
    return FileKind::Page;
  }
  if (EqualsIgnoreCase(ext, "css")) return FileKind::Style;
  if (EqualsIgnoreCase(ext, "js")) return FileKind::Script;
  return FileKind::Other;
}

int ScanWorkerCount(const SearchOptions& options) {
  if (options.ScanWorkers > 0) return std::min(options.ScanWorkers, kMaxScanWorkers);
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kMaxScanWorkers);
}

std::uint64_t TextFingerprint(std::span<const std::uint8_t> bytes) {
#if defined(URLSMITH_XXH3_DISPATCH)
  // The same hash, with the widest vector instructions the processor has.
  return XXH3_64bits_dispatch(bytes.data(), bytes.size()) | 1;
#else
  return XXH3_64bits(bytes.data(), bytes.size()) | 1;
#endif
}

SearchSession::SearchSession(PathStyle style, std::shared_ptr<FileSystem> fs)
    : FileList(style), fs_(fs ? std::move(fs) : std::make_shared<PosixFileSystem>()) {}

SearchSession::~SearchSession() = default;

void SearchSession::SetInternetChecker(std::unique_ptr<InternetChecker> checker) {
  internet_ = std::move(checker);
}

std::unique_ptr<InternetChecker> SearchSession::ExchangeInternetChecker(
    std::unique_ptr<InternetChecker> checker) {
  std::swap(internet_, checker);
  return checker;
}

bool SearchSession::AddRow(LinkEntry row) {
  if (LinkTable.size() >= static_cast<std::size_t>(kMaxLinkRows)) {
    TableFull = true;
    return false;
  }
  LinkTable.push_back(std::move(row));
  return true;
}

bool SearchSession::AddFix(std::int32_t rowIndex) {
  if (FixList.size() >= static_cast<std::size_t>(kMaxFixes)) {
    TableFull = true;
    return false;
  }
  FixList.push_back(rowIndex);
  return true;
}

FileEncoding SearchSession::PrepareText(int index, std::span<std::uint8_t> bytes) const {
  const auto i = static_cast<std::size_t>(index);
  const urlsmith::FileEncoding encoding = i < FileEncoding.size()
                                              ? FileEncoding[i]
                                              : DetectEncodingFromBytes(bytes.data(), bytes.size());
  if (encoding == urlsmith::FileEncoding::Utf16Be) ByteSwapText(bytes.data(), bytes.size());
  return encoding;
}

void SearchSession::RunReset() {
  LinkTable.clear();
  LinkTable.shrink_to_fit();
  FixList.clear();
  TableFull = false;
  UncheckedInternetChanges = 0;
  Anchors = AnchorIndex{};
  AnchorReports.clear();
}

void SearchSession::CacheReset() {
  InternetCheckOff = !Search.CheckInternetUrls;
  SavedFromTable.clear();
  SavedFromLookup = SavedFromIndex{};
  if (internet_) internet_->Reset();
  RootPath.clear();
}

}  // namespace urlsmith
