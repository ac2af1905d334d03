// The panel left of the steps: a wide picture that scrolls an eighth further with every step,
// and under it the step's badge, cross-faded from the previous one.
#pragma once

#include <array>
#include <optional>

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "app/pictures.h"

namespace urlsmith::app {

// Badge A and badge B over the background's lowest rows (from column `scroll`), cross-faded
// from A (fade 0) to B (fade 255) into `canvas` (24 bits, the size of the badges). Pictures
// that did not load, or whose sizes do not fit together, leave the canvas as it is.
void ComposeCanvas(const Dib& badgeA, const Dib& alphaA, const Dib& badgeB, const Dib& alphaB,
                   const Dib& background, int scroll, int fade, Dib& canvas);

// The panel's motion: where the background scrolls to and how far the fade has come.
class PanelAnimation {
 public:
  static constexpr int kFadeStep = 22;

  // The background's width and the panel's; they fix the scroll targets.
  void SetGeometry(int backgroundWidth, int clientWidth);
  int TargetOf(int step) const;

  // Straight to `step`, without motion.
  void Jump(int step);
  // Starts moving from the badge shown as current to `step`.
  void Start(int step);
  // One tick: the fade level to compose at, or nothing when the motion has ended.
  std::optional<int> Tick();

  int current() const { return current_; }
  int previous() const { return previous_; }
  int scroll() const { return scroll_; }
  int target() const { return target_; }
  int fade() const { return fade_; }

 private:
  int backgroundWidth_ = 0;
  int clientWidth_ = 0;
  int current_ = 0;
  int previous_ = 0;
  int fade_ = 255;
  double position_ = 0;
  int scroll_ = 0;
  int target_ = 0;
};

class PicturePanel : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 10;

  explicit PicturePanel(QWidget* parent);
  int step() const { return animation_.current(); }
  const PanelAnimation& animation() const { return animation_; }
  bool animating() const { return timer_.isActive(); }
  // Shows the step (index 0..7): at once, or with the scroll and the fade.
  void ShowStep(int index, bool animated);
  // One animation tick (the timer's; tests call it directly).
  void Tick();
  // The canvas as last composed.
  const Dib& canvas() const { return canvas_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Compose(int fade);
  QRect PictureRect() const;

  std::array<Dib, 8> badges_;
  std::array<Dib, 8> badgeAlpha_;
  Dib background_;
  QImage backgroundImage_;
  Dib canvas_;
  QImage canvasImage_;
  PanelAnimation animation_;
  QTimer timer_;
};

}  // namespace urlsmith::app
