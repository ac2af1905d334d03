#include "app/run_texts.h"

namespace urlsmith::app {

namespace {

constexpr FileFilter kReplacementFilters[] = {
    {"All Processable Files (*.htm, *.html, *.shtml, *.gif, *.jpg, *.jpeg, *.png, *.bmp, "
     "*.css, *.js)",
     "*.htm;*.html;*.shtml;*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.css;*.js"},
    {"HTML Files (*.htm, *.html, *.shtml)", "*.htm;*.html;*.shtml"},
    {"Image Files (*.gif, *.jpg, *.jpeg, *.png, *.bmp)", "*.gif;*.jpg;*.jpeg;*.png;*.bmp"},
    {"Style Sheets (*.css)", "*.css"},
    {"JavaScript Files (*.js)", "*.js"},
    {"All Files (*.*)", "*.*"},
};

constexpr FileFilter kImageFilters[] = {
    {"Image Files (*.gif, *.jpg, *.jpeg, *.png, *.bmp)", "*.gif;*.jpg;*.jpeg;*.png;*.bmp"},
    {"All Files (*.*)", "*.*"},
};

}  // namespace

std::string_view StatusKeyText(StatusKey key) {
  switch (key) {
    case StatusKey::CheckingPressF10:
      return "Press ESC to stop\nIf checking freezes for a long time, press F10 to skip the URL";
    case StatusKey::PressEscToStop:
      break;
  }
  return "Press ESC to stop";
}

std::string_view NextButtonCaption(AfterApply next) {
  return next == AfterApply::NextPass ? "&Next pass" : "&Start over";
}

std::string_view FileDialogTitle(FileDialogKind) {
  return "Replace";
}

std::span<const FileFilter> FileDialogFilters(FileDialogKind kind) {
  if (kind == FileDialogKind::Image) return kImageFilters;
  return kReplacementFilters;
}

}  // namespace urlsmith::app
