// The addresses that browser-saved pages were saved from.
#pragma once

#include <string_view>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

// Reads every listed page and records the address of its first "saved from url" comment in the
// session's SavedFromTable. Stopped by ESC.
[[nodiscard]] PhaseResult SavedFromPhase(SearchSession& session, RunView& view);

// The page saved from `url` (compared ignoring ASCII letter case; the first such page of the
// SavedFromTable), or -1. Answered from the session's SavedFromIndex, which it brings up to date
// with the table first.
int FindSavedFromPage(SearchSession& session, std::string_view url);

}  // namespace urlsmith
