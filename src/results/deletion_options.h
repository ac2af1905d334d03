// The link deletion options (wizard step 7): how the rewriter carries out the rows planned for
// deletion. Text links become plain text or an empty "#" link; image and background-image URLs
// are emptied or replaced by a fixed URL, optionally made relative to each page.
#pragma once

#include <string>
#include <string_view>

#include "text/text_types.h"

namespace urlsmith {

enum class TextLinkModeKind { ConvertToText, MakeEmpty };
enum class ImageLinkModeKind { MakeEmpty, ReplaceWithUrl };

// The step-7 options. The modes start as below at every program start; the two URLs and the two
// relative flags are the saved values (empty and on at a first start).
struct DeletionOptions {
  TextLinkModeKind TextLinkMode = TextLinkModeKind::ConvertToText;
  ImageLinkModeKind ImageLinkMode = ImageLinkModeKind::MakeEmpty;
  std::string ImageReplacementUrl;
  bool ImageReplacementRelative = true;
  ImageLinkModeKind BackgroundLinkMode = ImageLinkModeKind::MakeEmpty;
  std::string BackgroundReplacementUrl;
  bool BackgroundReplacementRelative = true;
};

// The options as the step is created: the fixed initial modes and the saved URLs and flags.
DeletionOptions InitialDeletionOptions(std::string savedImageUrl, bool savedImageRelative,
                                       std::string savedBackgroundUrl,
                                       bool savedBackgroundRelative);

// The image URL edit and its Browse button are enabled exactly while images are replaced.
inline bool ImageUrlControlsEnabled(const DeletionOptions& o) {
  return o.ImageLinkMode == ImageLinkModeKind::ReplaceWithUrl;
}
// The background URL edit and its Browse button are enabled exactly while backgrounds are
// replaced.
inline bool BackgroundUrlControlsEnabled(const DeletionOptions& o) {
  return o.BackgroundLinkMode == ImageLinkModeKind::ReplaceWithUrl;
}

// Either URL edit lost the focus: the image URL while images are replaced and the background URL
// while backgrounds are replaced are normalised, whichever edit it was. A drive path gets
// "file:///" in front, separators are converted to URL form, and with `canonicalize`
// (CanonicalizeUrls) unsafe characters are escaped.
void NormalizeReplacementUrls(DeletionOptions& options, bool canonicalize, PathStyle style);

// Both Browse buttons ask for FileDialogKind::Image, starting in the last root folder (empty:
// the system's default). The edit's text after a file was chosen: its file URL with URL
// separators, not escaped.
std::string BrowsedReplacementUrl(std::string_view path, PathStyle style);

inline constexpr std::string_view kEmptyReplacementUrlMessage =
    "The replacement URL cannot be empty!";
// Whether the step may be left forwards: a replace-with-URL choice needs its URL.
bool ReplacementUrlsComplete(const DeletionOptions& options);

}  // namespace urlsmith
