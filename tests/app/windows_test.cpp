#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>

#include "app/about_box.h"
#include "app/dialog_service.h"
#include "app/help_window.h"
#include "app_test_support.h"
#include "unspool/unspool_window.h"

namespace urlsmith::testing {
namespace {

TEST(About, LinksLightUpUnderTheCursorAndOpenOnRelease) {
  std::vector<QUrl> opened;
  app::AboutBox box(nullptr, [&](const QUrl& url) { opened.push_back(url); });
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  auto* web = Find<QLabel>(&box, app::ControlName(1013));
  auto* product = Find<QLabel>(&box, app::ControlName(1056));
  const auto centre = [](QWidget* w) { return w->mapToGlobal(w->rect().center()); };
  const QPoint overWeb = centre(web), elsewhere = centre(product);
  const QPoint overSupport = centre(Find<QLabel>(&box, app::ControlName(1015)));
  EXPECT_EQ(product->text(), "Urlsmith 2.01.1");
  EXPECT_EQ(Find<QLabel>(&box, app::ControlName(1057))->text(), "by Brindlecove Software");

  box.UpdateHover(overWeb);
  EXPECT_EQ(box.hovered(), app::AboutBox::Link::WebSite);
  EXPECT_TRUE(web->font().underline());
  EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(0, 63, 255));
  EXPECT_EQ(box.cursor().shape(), Qt::BitmapCursor);  // the hand
  box.UpdateHover(elsewhere);
  EXPECT_EQ(box.hovered(), app::AboutBox::Link::None);
  EXPECT_FALSE(web->font().underline());
  EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);

  // Any button drags the box; releasing over a link opens it.
  // clang-format off
  const struct { Qt::MouseButton button; QPoint release; std::vector<QUrl> opened; } drags[] = {
      {Qt::LeftButton, elsewhere, {}}, {Qt::RightButton, overWeb, {app::kWebSiteUrl}},
      {Qt::MiddleButton, overSupport, {app::kSupportUrl}}};
  // clang-format on
  for (const auto& d : drags) {
    opened.clear();
    const QPoint start = box.pos();
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons held) {
      QMouseEvent event(type, box.mapFromGlobal(global), global, d.button, held, Qt::NoModifier);
      QApplication::sendEvent(&box, &event);
    };
    send(QEvent::MouseButtonPress, elsewhere, d.button);
    EXPECT_TRUE(box.dragging());
    send(QEvent::MouseMove, elsewhere + QPoint(30, 20), d.button);
    EXPECT_EQ(box.pos(), start + QPoint(30, 20));
    send(QEvent::MouseButtonRelease, d.release + QPoint(30, 20), Qt::NoButton);
    EXPECT_FALSE(box.dragging());
    EXPECT_EQ(opened, d.opened);
    box.move(start);
    QApplication::processEvents();
  }
  EXPECT_TRUE(app::AboutText().contains("OpenJPEG"));
}

TEST(Help, TheGuideShowsEveryTopicWithItsPicturesAndGoesBackAndForward) {
  const QString guide = app::GuideFolder(QStringLiteral(URLSMITH_BUILD_DIR "/"));
  ASSERT_FALSE(guide.isEmpty());
  app::HelpWindow help(guide);
  for (const QString topic : {"index.htm", "fix1.htm", "fix2.htm", "fix3.htm", "fix4.htm",
                              "fix5.htm", "fix6.htm", "fix7.htm"}) {
    SCOPED_TRACE(topic.toStdString());
    help.ShowTopic(topic);
    EXPECT_EQ(help.currentTopic(), topic);
    ASSERT_NE(help.topics()->currentItem(), nullptr);
    EXPECT_EQ(help.topics()->currentItem()->data(Qt::UserRole).toString(), topic);
    EXPECT_FALSE(help.browser()->toPlainText().trimmed().isEmpty());
    static const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
    for (auto m = img.globalMatch(help.browser()->toHtml()); m.hasNext();) {  // every picture loads
      const QUrl name(m.next().captured(1));
      EXPECT_FALSE(help.browser()->loadResource(QTextDocument::ImageResource, name).isNull())
          << name.toString().toStdString();
    }
  }
  help.ShowTopic("fix2.htm");
  help.ShowTopic("fix3.htm");
  Click(Find<QToolButton>(&help, "helpBack"));
  EXPECT_EQ(help.currentTopic(), "fix2.htm");
  EXPECT_TRUE(Find<QToolButton>(&help, "helpForward")->isEnabled());
  Click(Find<QToolButton>(&help, "helpForward"));
  EXPECT_EQ(help.currentTopic(), "fix3.htm");
  Click(Find<QToolButton>(&help, "helpContents"));
  EXPECT_EQ(help.currentTopic(), "index.htm");
}

// The folder chooser's box writes back at once.
TEST(Dialogs, TheChoosersOfferTheirFiltersAndGiveNothingWhenCancelled) {
  QStringList seen;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    seen << dialog->windowTitle() + ": " + dialog->nameFilters().join(" | ");
    if (auto* box = dialog->findChild<QCheckBox*>("addSubfolders")) box->click();
    dialog->reject();
  });
  closer.start(10);
  app::QtDialogService dialogs;
  bool subfolders = true;
  EXPECT_FALSE(dialogs.ChooseFiles(nullptr, "/"));
  EXPECT_FALSE(dialogs.ChooseFolder(nullptr, "/", subfolders));
  EXPECT_FALSE(subfolders);
  EXPECT_FALSE(dialogs.ChooseFile(nullptr, {FileDialogKind::Image, "/"}));
  EXPECT_EQ(seen,
            QStringList({"Add File(s): All Processable Files (*.htm *.html *.shtml *.gif *.jpg "
                         "*.jpeg *.png *.bmp *.css *.js) | HTML Files (*.htm *.html *.shtml) | "
                         "Image Files (*.gif *.jpg *.jpeg *.png *.bmp) | Style Sheets (*.css) | "
                         "JavaScript Files (*.js) | All Files (*)",
                         "Add Folder(s): All Files (*)",
                         "Replace: Image Files (*.gif *.jpg *.jpeg *.png *.bmp) | All Files (*)"}));
}

TEST(UnspoolWindow, ListsRestoresAndDeletesAfterAsking) {
  TempDir site;
  const std::string a = site.Write("a.htm", "new a");
  site.Write("a.htm.bak", "old a");
  site.Write("c.js.bak", "old c");  // its file is gone
  const std::string b = site.Write("sub/b.css", "same");
  site.Write("sub/b.css.bak", "same");
  bool answer = false;
  QStringList questions;
  PosixFileSystem fs;
  unspool::UnspoolWindow window(QString::fromStdString(site.path()), fs,
                                [&](QWidget*, const QString& question) {
                                  questions << question;
                                  return answer;
                                });
  unspool::BackupListModel& model = window.model();
  const auto column = [&](int c) {
    QStringList texts;
    for (int r = 0; r < model.rowCount(); ++r)
      texts << model.index(r, c).data().toString();
    return texts;
  };
  EXPECT_EQ(column(unspool::BackupListModel::kFile), QStringList({"a.htm", "c.js", "sub/b.css"}));
  EXPECT_EQ(column(unspool::BackupListModel::kSize), QStringList({"5", "5", "4"}));
  EXPECT_EQ(column(unspool::BackupListModel::kChanged), QStringList({"yes", "file missing", "no"}));
  EXPECT_EQ(window.resultText(), "3 backup(s) found.");

  window.list()->selectionModel()->select(model.index(0, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
  answer = true;
  window.Act(true, false);
  EXPECT_TRUE(questions.back().startsWith("Restore 1 backup(s)"));
  EXPECT_EQ(ReadFileBytes(a), "old a");
  EXPECT_EQ(window.resultText(), "1 backup(s) restored.");
  EXPECT_EQ(model.rowCount(), 2);
  // "No" changes nothing; a backup that vanished meanwhile is reported, the rest deleted.
  answer = false;
  window.Act(false, true);
  EXPECT_EQ(model.rowCount(), 2);
  std::filesystem::remove(site / "c.js.bak");
  answer = true;
  window.Act(false, true);
  EXPECT_TRUE(window.resultText().startsWith("1 backup(s) deleted. 1 could not be deleted"))
      << window.resultText().toStdString();
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(ReadFileBytes(b), "same");
}

}  // namespace
}  // namespace urlsmith::testing
