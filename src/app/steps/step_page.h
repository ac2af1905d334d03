// One step of the wizard: a page created once with the frame and shown while it is the
// current step. Entering a step is its show event; work that must wait until the step is on
// screen is queued from there.
#pragma once

#include <QString>
#include <QWidget>

namespace urlsmith::app {

class WizardFrame;

class StepPage : public QWidget {
  Q_OBJECT
 public:
  StepPage(WizardFrame& frame, int index, QString title, QString helpTopic);

  int index() const { return index_; }
  const QString& title() const { return title_; }
  const QString& helpTopic() const { return helpTopic_; }

 protected:
  // Called each time the step is shown (entered), before it is drawn.
  virtual void Entered() {}
  void showEvent(QShowEvent* event) override;

  WizardFrame& frame_;

 private:
  int index_;
  QString title_;
  QString helpTopic_;
};

}  // namespace urlsmith::app
