// The addresses that browser-saved pages were saved from.
#pragma once

#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

// Reads every listed page and records the address of its first "saved from url" comment in the
// session's SavedFromTable. Returns 0 when it went through all pages, 255 when stopped by ESC.
int SavedFromPhase(SearchSession& session, RunView& view);

}  // namespace urlsmith
