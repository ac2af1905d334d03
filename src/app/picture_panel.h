// The panel left of the steps that shows where the user is: a colour band with the step's
// number.
#pragma once

#include <QWidget>

namespace urlsmith::app {

class PicturePanel : public QWidget {
  Q_OBJECT
 public:
  explicit PicturePanel(QWidget* parent);
  int step() const { return step_; }
  // Shows the step (index 0..7); animated moves are drawn the same way for now.
  void ShowStep(int index, bool animated);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int step_ = 0;
};

}  // namespace urlsmith::app
