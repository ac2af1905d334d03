#include "results/deletion_options.h"

#include <utility>

#include "results/url_value.h"

namespace urlsmith {

DeletionOptions InitialDeletionOptions(std::string savedImageUrl, bool savedImageRelative,
                                       std::string savedBackgroundUrl,
                                       bool savedBackgroundRelative) {
  DeletionOptions options;
  options.ImageReplacementUrl = std::move(savedImageUrl);
  options.ImageReplacementRelative = savedImageRelative;
  options.BackgroundReplacementUrl = std::move(savedBackgroundUrl);
  options.BackgroundReplacementRelative = savedBackgroundRelative;
  return options;
}

void NormalizeReplacementUrls(DeletionOptions& options, bool canonicalize, PathStyle style) {
  if (ImageUrlControlsEnabled(options)) {
    options.ImageReplacementUrl =
        NormalizeUrlValue(options.ImageReplacementUrl, canonicalize, style);
  }
  if (BackgroundUrlControlsEnabled(options)) {
    options.BackgroundReplacementUrl =
        NormalizeUrlValue(options.BackgroundReplacementUrl, canonicalize, style);
  }
}

std::string BrowsedReplacementUrl(std::string_view path, PathStyle style) {
  return FileUrlOfPath(path, style);
}

bool ReplacementUrlsComplete(const DeletionOptions& options) {
  if (ImageUrlControlsEnabled(options) && options.ImageReplacementUrl.empty()) return false;
  if (BackgroundUrlControlsEnabled(options) && options.BackgroundReplacementUrl.empty()) {
    return false;
  }
  return true;
}

}  // namespace urlsmith
