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

std::string NormalizeReplacementUrl(std::string_view text, bool canonicalize, PathStyle style) {
  return NormalizeUrlValue(text, canonicalize, style);
}

void NormalizeReplacementUrls(DeletionOptions& options, bool canonicalize, PathStyle style) {
  if (ImageUrlControlsEnabled(options)) {
    options.ImageReplacementUrl =
        NormalizeReplacementUrl(options.ImageReplacementUrl, canonicalize, style);
  }
  if (BackgroundUrlControlsEnabled(options)) {
    options.BackgroundReplacementUrl =
        NormalizeReplacementUrl(options.BackgroundReplacementUrl, canonicalize, style);
  }
}

FileDialogRequest ImageFileDialog(std::string_view lastRootFolder) {
  FileDialogRequest request;
  request.title = "Replace";
  request.startFolder.assign(lastRootFolder);
  request.filters = {
      {"Image Files (*.gif, *.jpg, *.jpeg, *.png, *.bmp)", "*.gif;*.jpg;*.jpeg;*.png;*.bmp"},
      {"All Files (*.*)", "*.*"},
  };
  return request;
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
