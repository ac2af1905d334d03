// The user guide: HTML topics ("fix1.htm" ... "fix7.htm" and the contents "index.htm") in a
// window with back, forward, the contents and the list of topics.
#pragma once

#include <QString>
#include <QWidget>

class QListWidget;
class QTextBrowser;
class QToolButton;

namespace urlsmith::app {

// The guide's folder for a program in `programFolder` (ending in '/'): "guide" beside the
// program (the build tree), else the installed "share/urlsmith/guide" beside its "bin"
// folder. Empty when there is none.
QString GuideFolder(const QString& programFolder);

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HelpWindow(const QString& guideFolder, QWidget* parent = nullptr);

  // Shows `topic` ("fix4.htm") and brings the window up.
  void ShowTopic(const QString& topic);
  QString currentTopic() const;
  QTextBrowser* browser() const { return browser_; }
  QListWidget* topics() const { return topics_; }

 private:
  void SyncTopicList();

  QString folder_;
  QTextBrowser* browser_ = nullptr;
  QListWidget* topics_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
};

}  // namespace urlsmith::app
