// Checking the Internet addresses of a search ahead of the link search: the pages are scanned
// once to collect the addresses the analysis will ask about, the checker asks them all at once
// as far as its limits allow, and the link search that follows gets its answers from there.
#pragma once

#include <string>
#include <vector>

#include "engine/outcomes.h"
#include "engine/run_view.h"
#include "engine/search_model.h"

namespace urlsmith {

// The distinct Internet addresses (no fragment) the link search would ask the checker about,
// in the order it would ask. The session is left exactly as it was. Empty when stopped (ESC).
[[nodiscard]] PhaseResult CollectInternetAddresses(SearchSession& session, RunView& view,
                                                   std::vector<std::string>& addresses,
                                                   ReadBuffers* buffers = nullptr);

// Collects the addresses and has the session's checker check them ahead, when Internet checks
// are on and the checker works that way. Nothing is logged; Stopped at ESC.
[[nodiscard]] PhaseResult CheckInternetAhead(SearchSession& session, RunView& view,
                                             ReadBuffers* buffers = nullptr);

}  // namespace urlsmith
