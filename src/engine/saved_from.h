// The addresses that browser-saved pages were saved from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"
#include "text/file_system.h"

namespace urlsmith {

// What the search for "saved from url" found in one page.
struct SavedFromPage {
  ReadStatus Status = ReadStatus::Unreadable;
  std::string Error;
  std::size_t Size = 0;
  std::string Value;  // the comment's value as written; empty when there is none
  int Polls = 0;      // how often a search on the run's thread polls for ESC on the page
};

// Reads the listed page fileIndex into `buffer` and searches it. encoding receives the page's
// encoding, read from its first bytes as the Unicode look reads it (nullopt when the page could
// not be read whole, so that the look reads its first bytes itself). Touches nothing but the
// page, so it may run on any thread.
void SearchPageForSavedFrom(const SearchSession& session, FileSystem& fs, int fileIndex,
                            ReadResult& buffer, SavedFromPage& page,
                            std::optional<FileEncoding>& encoding);

// The outcomes of every page, in list order, kept small: the Unicode look, which reads the
// pages anyway, makes them, and the phase then needs not read the pages again.
class SavedFromLooks {
 public:
  void Add(SavedFromPage&& page);
  std::size_t size() const { return pages_.size(); }
  // The outcome of the k-th page added.
  SavedFromPage Get(std::size_t k) const;

 private:
  struct Compact {
    std::uint64_t Size = 0;
    std::int32_t Polls = 0;
    ReadStatus Status = ReadStatus::Unreadable;
    std::int32_t Text = -1;  // index into texts_ of the value (Ok) or the error, -1: empty
  };
  std::vector<Compact> pages_;
  std::vector<std::string> texts_;
};

// Reads every listed page (unless `looks` holds the outcome of every page already) and records
// the address of its first "saved from url" comment in the session's SavedFromTable. Stopped by
// ESC.
[[nodiscard]] PhaseResult SavedFromPhase(SearchSession& session, RunView& view,
                                         const SavedFromLooks* looks = nullptr);

// The page saved from `url` (compared ignoring ASCII letter case; the first such page of the
// SavedFromTable), or -1. Answered from the session's SavedFromIndex, which it brings up to date
// with the table first.
int FindSavedFromPage(SearchSession& session, std::string_view url);

}  // namespace urlsmith
