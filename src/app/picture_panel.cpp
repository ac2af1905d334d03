#include "app/picture_panel.h"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>

namespace urlsmith::app {

void ComposeCanvas(const Dib& badgeA, const Dib& alphaA, const Dib& badgeB, const Dib& alphaB,
                   const Dib& background, int scroll, int fade, Dib& canvas) {
  const int width = canvas.Width;
  const int height = canvas.Height;
  auto fits = [&](const Dib& dib, int bits) {
    return dib.BitsPerPixel == bits && dib.Width == width && dib.Height == height;
  };
  if (!fits(canvas, 24) || !fits(badgeA, 24) || !fits(badgeB, 24) || !fits(alphaA, 8) ||
      !fits(alphaB, 8) || background.BitsPerPixel != 24 || background.Width < width ||
      background.Height < height) {
    return;
  }
  scroll = std::clamp(scroll, 0, background.Width - width);
  const BlendTable& blend = BlendTable::Get();
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* a = badgeA.RowFromBottom(y);
    const std::uint8_t* b = badgeB.RowFromBottom(y);
    const std::uint8_t* aa = alphaA.RowFromBottom(y);
    const std::uint8_t* ab = alphaB.RowFromBottom(y);
    const std::uint8_t* g = background.RowFromBottom(y) + 3 * scroll;
    std::uint8_t* out = canvas.RowFromBottom(y);
    for (int x = 0; x < width; ++x) {
      for (int k = 0; k < 3; ++k) {
        const int i = 3 * x + k;
        const int overA = blend.Blend(255 - aa[x], g[i], a[i]);
        const int overB = blend.Blend(255 - ab[x], g[i], b[i]);
        out[i] = blend.Blend(fade, overB, overA);
      }
    }
  }
}

void PanelAnimation::SetGeometry(int backgroundWidth, int clientWidth) {
  backgroundWidth_ = backgroundWidth;
  clientWidth_ = clientWidth;
}

int PanelAnimation::TargetOf(int step) const {
  return (backgroundWidth_ - clientWidth_) * step / 8;
}

void PanelAnimation::Jump(int step) {
  current_ = previous_ = step;
  target_ = scroll_ = TargetOf(step);
  position_ = target_;
  fade_ = 0;
}

void PanelAnimation::Start(int step) {
  previous_ = current_;
  current_ = step;
  fade_ = 0;
  target_ = TargetOf(step);
}

std::optional<int> PanelAnimation::Tick() {
  if (previous_ < current_) {
    if (scroll_ >= target_ - 1 && fade_ == 255) return std::nullopt;
    position_ += (target_ - position_) * 0.25;
    scroll_ = static_cast<int>(position_ + 0.5);
  } else {
    if (scroll_ <= target_ + 1 && fade_ == 255) return std::nullopt;
    position_ += (target_ - position_) * 0.25;
    scroll_ = static_cast<int>(position_ - 0.5);
  }
  const int composeAt = fade_;
  fade_ = std::min(fade_ + kFadeStep, 255);
  return composeAt;
}

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frame1017"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  for (int i = 0; i < 8; ++i) {
    LoadPicture(kFirstStepBadge + i, false, badges_[i], &badgeAlpha_[i]);
  }
  LoadPicture(kPanelBackground, false, background_);
  backgroundImage_ = ImageOf(background_);
  canvas_ = NewDib(badges_[0].Width, badges_[0].Height, 24);
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &PicturePanel::Tick);
}

void PicturePanel::resizeEvent(QResizeEvent*) {
  animation_.SetGeometry(background_.Width, width());
}

void PicturePanel::ShowStep(int index, bool animated) {
  animation_.SetGeometry(background_.Width, width());
  if (!animated) {
    timer_.stop();
    animation_.Jump(index);
    Compose(0);
    update(PictureRect());
    return;
  }
  animation_.Start(index);
  timer_.start();
}

void PicturePanel::Tick() {
  const std::optional<int> fade = animation_.Tick();
  if (!fade) {
    timer_.stop();
    return;
  }
  Compose(*fade);
  update(PictureRect());
}

void PicturePanel::Compose(int fade) {
  const int a = animation_.previous();
  const int b = animation_.current();
  ComposeCanvas(badges_[a], badgeAlpha_[a], badges_[b], badgeAlpha_[b], background_,
                animation_.scroll(), fade, canvas_);
  canvasImage_ = ImageOf(canvas_);
}

QRect PicturePanel::PictureRect() const {
  const int pictureWidth = canvas_.Width;
  const int pictureHeight = background_.Height;
  return {(width() - pictureWidth) / 2, (height() - pictureHeight) / 2, pictureWidth,
          pictureHeight};
}

void PicturePanel::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRect picture = PictureRect();
  if (!event->region().subtracted(QRegion(picture)).isEmpty()) {
    p.fillRect(rect(), palette().button());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(picture.adjusted(-1, -1, 0, 0));
  }
  const int top = background_.Height - canvas_.Height;
  if (!backgroundImage_.isNull()) {
    const int scroll = std::clamp(animation_.scroll(), 0, background_.Width - canvas_.Width);
    p.drawImage(picture.topLeft(), backgroundImage_, QRect(scroll, 0, canvas_.Width, top));
  }
  if (!canvasImage_.isNull()) p.drawImage(picture.topLeft() + QPoint(0, top), canvasImage_);
}

}  // namespace urlsmith::app
