// Step 1, "Welcome to Urlsmith!": the Welcome picture and the tip of the day, which moves on to
// the next tip every time the step is entered.
#pragma once

#include <QImage>
#include <QLabel>
#include <QTimer>
#include <optional>

#include "app/steps/step_page.h"

namespace urlsmith::app {

inline constexpr int kTipCount = 17;
// The tip of `counter` (0 ... 16).
const char* TipText(int counter);
// The counter after `stored` (none when nothing is stored): the next tip, 16 wraps to 0, and a
// value that names no tip starts again at 0.
int NextTipCounter(std::optional<int> stored);

// The tip box: a white strip with the lamp, the tip on light yellow.
class TipBox : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kLampFrames = 11;
  static constexpr int kLampMs = 50;

  explicit TipBox(QWidget* parent);
  void SetTip(int counter);
  int tip() const { return tip_; }
  // The lamp flickers from unlit to lit and stays lit.
  void StartLamp();
  void StopLamp() { timer_.stop(); }
  bool lampRunning() const { return timer_.isActive(); }
  bool lampLit() const { return frame_ % 2 == 1; }
  int lampFrame() const { return frame_; }
  void LampTick();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage lit_;
  QImage unlit_;
  int tip_ = 0;
  int frame_ = 0;
  QTimer timer_;
};

class WelcomeStep : public StepPage {
  Q_OBJECT
 public:
  explicit WelcomeStep(WizardFrame& frame);
  TipBox* tipBox() const { return tips_; }

 protected:
  void Entered() override;
  void hideEvent(QHideEvent* event) override;

 private:
  QLabel* picture_ = nullptr;
  TipBox* tips_ = nullptr;
};

}  // namespace urlsmith::app
