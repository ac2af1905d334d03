#include "app/message_service.h"

#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

namespace urlsmith::app {

bool BoxMessageService::Show(QWidget* owner, const Message& message) {
  QMessageBox box(owner);
  box.setWindowTitle(message.caption);
  box.setText(message.text);
  switch (message.icon) {
    case MessageIcon::Stop:
      box.setIcon(QMessageBox::Critical);
      break;
    case MessageIcon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case MessageIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MessageIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
  }
  if (message.buttons == MessageButtons::YesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  if (owner == nullptr) box.setWindowModality(Qt::ApplicationModal);
  return box.exec() != QMessageBox::No;
}

bool ConsoleMessageService::Show(QWidget*, const Message& message) {
  std::fprintf(stderr, "%s: %s\n", message.caption.toUtf8().constData(),
               message.text.toUtf8().constData());
  return message.buttons == MessageButtons::Ok;
}

void EmergencyQuit(MessageService& messages, const QString& text) {
  messages.Show(nullptr,
                {QStringLiteral("Emergency Quit"), text, MessageIcon::Stop, MessageButtons::Ok});
  std::fflush(stderr);
  std::_Exit(255);
}

}  // namespace urlsmith::app
