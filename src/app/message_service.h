// Every message box of the wizard goes through one MessageService, so that tests can read the
// messages and answer the questions. The real one shows QMessageBoxes with the caption given.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace urlsmith::app {

inline const QString kCaption = QStringLiteral("Urlsmith");

enum class MessageIcon { Stop, Warning, Question, Information };
enum class MessageButtons { Ok, YesNo };

struct Message {
  QString caption;
  QString text;
  MessageIcon icon = MessageIcon::Stop;
  MessageButtons buttons = MessageButtons::Ok;
};

class MessageService {
 public:
  virtual ~MessageService() = default;
  // Shows the message; true for "Yes" (and for the OK of a message without a question).
  virtual bool Show(QWidget* owner, const Message& message) = 0;

  void Tell(QWidget* owner, const QString& text, MessageIcon icon = MessageIcon::Stop) {
    Show(owner, {kCaption, text, icon, MessageButtons::Ok});
  }
  bool Ask(QWidget* owner, const QString& question, const QString& caption = kCaption) {
    return Show(owner, {caption, question, MessageIcon::Question, MessageButtons::YesNo});
  }
};

// Message boxes on screen; "No" is the default answer of a question.
class BoxMessageService : public MessageService {
 public:
  bool Show(QWidget* owner, const Message& message) override;
};

// Messages written to stderr (when there is no display); questions are answered "No".
class ConsoleMessageService : public MessageService {
 public:
  bool Show(QWidget* owner, const Message& message) override;
};

// Shows `text` in a stop box captioned "Emergency Quit" and ends the process at once with
// exit status 255; nothing is saved. Never returns.
[[noreturn]] void EmergencyQuit(MessageService& messages, const QString& text);

}  // namespace urlsmith::app
