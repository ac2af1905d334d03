#include "engine/saved_from.h"

namespace urlsmith {

int SavedFromPhase(SearchSession& /*session*/, RunView& /*view*/) { return 0; }

}  // namespace urlsmith
