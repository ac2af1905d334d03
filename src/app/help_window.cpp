#include "app/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace urlsmith::app {

namespace {

struct Topic {
  const char* file;
  const char* title;
};

constexpr Topic kTopics[] = {
    {"index.htm", "Contents"},
    {"fix1.htm", "Step 1: Welcome"},
    {"fix2.htm", "Step 2: Add files"},
    {"fix3.htm", "Step 3: Search properties"},
    {"fix4.htm", "Steps 4 and 5: Options and search"},
    {"fix5.htm", "Step 6: Search results"},
    {"fix6.htm", "Step 7: Link deletion"},
    {"fix7.htm", "Step 8: Processing"},
};

}  // namespace

QString GuideFolder(const QString& programFolder) {
  for (const QString& candidate : {programFolder + QStringLiteral("guide"),
                                   programFolder + QStringLiteral("../share/urlsmith/guide")}) {
    if (QFileInfo::exists(candidate + QStringLiteral("/index.htm"))) {
      return QDir::cleanPath(QFileInfo(candidate).absoluteFilePath());
    }
  }
  return {};
}

HelpWindow::HelpWindow(const QString& guideFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), folder_(guideFolder) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(QStringLiteral("Urlsmith Help"));

  auto make = [&](const QString& name, const QString& caption, QStyle::StandardPixmap icon) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(style()->standardIcon(icon));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    return button;
  };
  back_ = make(QStringLiteral("helpBack"), QStringLiteral("Back"), QStyle::SP_ArrowBack);
  forward_ =
      make(QStringLiteral("helpForward"), QStringLiteral("Forward"), QStyle::SP_ArrowForward);
  auto* contents =
      make(QStringLiteral("helpContents"), QStringLiteral("Contents"), QStyle::SP_DirHomeIcon);
  back_->setEnabled(false);
  forward_->setEnabled(false);

  topics_ = new QListWidget(this);
  topics_->setObjectName(QStringLiteral("helpTopics"));
  for (const Topic& t : kTopics) {
    auto* item = new QListWidgetItem(QString::fromLatin1(t.title), topics_);
    item->setData(Qt::UserRole, QString::fromLatin1(t.file));
  }
  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("helpBrowser"));
  browser_->setOpenExternalLinks(true);
  browser_->setSearchPaths({folder_});

  auto* split = new QSplitter(this);
  split->addWidget(topics_);
  split->addWidget(browser_);
  split->setStretchFactor(1, 1);
  split->setSizes({240, 620});
  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addWidget(contents);
  bar->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addWidget(split, 1);
  resize(860, 640);

  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(contents, &QToolButton::clicked, this,
          [this] { ShowTopic(QStringLiteral("index.htm")); });
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::SyncTopicList);
  connect(topics_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowTopic(item->data(Qt::UserRole).toString()); });
  connect(topics_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowTopic(item->data(Qt::UserRole).toString()); });
}

void HelpWindow::ShowTopic(const QString& topic) {
  const QUrl url = QUrl::fromLocalFile(QDir(folder_).filePath(topic));
  if (browser_->source() != url) browser_->setSource(url);
  SyncTopicList();
  show();
  raise();
  activateWindow();
}

QString HelpWindow::currentTopic() const {
  return QFileInfo(browser_->source().toLocalFile()).fileName();
}

void HelpWindow::SyncTopicList() {
  const QString current = currentTopic();
  for (int i = 0; i < topics_->count(); ++i) {
    if (topics_->item(i)->data(Qt::UserRole).toString() == current) {
      const QSignalBlocker quiet(topics_);
      topics_->setCurrentRow(i);
      return;
    }
  }
}

}  // namespace urlsmith::app
