// The windows besides the frame (About, the guide, the file choosers, Unspool's window), and the
// pictures: the built-in ones, their decoding and blending, and the picture panel's motion.
#include <QCheckBox>
#include <QDirIterator>
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
#include "app/picture_panel.h"
#include "app/pictures.h"
#include "app/tools/j2k_writer.h"
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

// ---- The built-in pictures, their decoding and blending, and the panel's motion ---------------

using app::Dib;

// A 2 x 2 picture whose pixels say where they are: red = column, green = row, blue = 7.
app::PicturePlanes Tiny(int components, int precision = 8) {
  app::PicturePlanes p{2, 2, precision, {}};
  p.Components.resize(static_cast<std::size_t>(components));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) {
      const std::int32_t values[4] = {10 + x, 20 + y, 7, 100 + 2 * y + x};
      for (int c = 0; c < components; ++c)
        p.Components[c].push_back(values[c]);
    }
  }
  return p;
}

TEST(Pictures, EveryBuiltInPictureDecodes) {
  QDirIterator it(":/pictures");
  int count = 0;
  for (; it.hasNext(); ++count) {
    const QString path = it.next();
    SCOPED_TRACE(path.toStdString());
    Dib colour, alpha;
    ASSERT_EQ(app::LoadPictureFile(path, false, colour, &alpha), app::kPictureLoaded);
    EXPECT_EQ(std::vector<int>({colour.BitsPerPixel, colour.BytesPerRow % 4, alpha.BitsPerPixel}),
              std::vector<int>({24, 0, 8}));
    EXPECT_GT(colour.Width * colour.Height, 0);
    // Pictures with transparency have opaque pixels; the others have no plane, all zero.
    EXPECT_NE(std::count(alpha.Pixels.begin(), alpha.Pixels.end(), 255) > 0,
              std::count(alpha.Pixels.begin(), alpha.Pixels.end(), 0) ==
                  static_cast<long>(alpha.Pixels.size()));
  }
  EXPECT_EQ(count, 21);
}

TEST(Pictures, BytesAreBlueGreenRedRowsStandUprightInEitherOrderAndBrokenDataGivesNothing) {
  const std::vector<std::uint8_t> stream = app::EncodeCodestream(Tiny(4));
  ASSERT_FALSE(stream.empty());
  for (const bool topDown : {false, true}) {
    Dib colour, alpha;
    ASSERT_EQ(app::DecodePicture(stream, topDown, colour, &alpha), app::kPictureLoaded);
    EXPECT_EQ(colour.TopDown, topDown);
    EXPECT_EQ(colour.BytesPerRow, 8);  // 6 bytes padded to 8
    for (int yTop = 0; yTop < 2; ++yTop) {
      const std::uint8_t* row = colour.RowFromBottom(1 - yTop);
      for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(std::vector<int>({row[3 * x], row[3 * x + 1], row[3 * x + 2],
                                    alpha.RowFromBottom(1 - yTop)[x]}),
                  std::vector<int>({7, 20 + yTop, 10 + x, 100 + 2 * yTop + x}));
      }
    }
    EXPECT_EQ(colour.Pixels[1], topDown ? 20 : 21);  // the top row comes first only when asked
    EXPECT_EQ(app::ImageOf(colour).pixel(1, 0), qRgb(11, 20, 7));
  }

  // Broken data leaves the bitmap empty.
  std::vector<std::uint8_t> wrongStart = stream;
  wrongStart[1] = 0x00;
  // clang-format off
  const struct { const char* name; std::vector<std::uint8_t> bytes; int result; } cases[] = {
      {"empty", {}, app::kPictureUndecodable},
      {"cut short", {stream.begin(), stream.begin() + static_cast<long>(stream.size() / 3)},
       app::kPictureUndecodable},
      {"no start marker", wrongStart, app::kPictureUndecodable},
      {"16-bit samples", app::EncodeCodestream(Tiny(3, 16)), app::kPictureNot8Bits},
      {"grey", app::EncodeCodestream(Tiny(1)), app::kPictureLoaded}};
  // clang-format on
  for (const auto& c : cases) {
    Dib colour, alpha;
    colour.Pixels.assign(4, 1);  // a bitmap that was set before is replaced
    EXPECT_EQ(app::DecodePicture(c.bytes, false, colour, &alpha), c.result) << c.name;
    EXPECT_EQ(colour.empty(), c.result != app::kPictureLoaded) << c.name;
  }
  Dib colour;
  EXPECT_EQ(app::LoadPicture(999, false, colour), app::kPictureNotFound);
  EXPECT_TRUE(app::ImageOf(colour).isNull());
}

TEST(Pictures, BadgesBlendOverTheBackgroundAndTheWindowsFace) {
  // One-pixel badges over a one-pixel background: badge byte 200, background byte 0.
  auto dib = [](int bits, std::uint8_t value) {
    Dib d;
    d.Width = d.Height = 1;
    d.BitsPerPixel = bits;
    d.BytesPerRow = 4;
    d.Pixels.assign(4, value);
    return d;
  };
  // An opaque badge shows itself; a clear one the background (off by the blend table's rounding
  // toward zero: opacity 255 is not quite 1); faded all the way to the clear one; halfway between.
  // clang-format off
  const struct { std::uint8_t alphaA, alphaB; int fade, expected; } cases[] = {
      {255, 255, 0, 200}, {0, 0, 0, 1}, {255, 0, 255, 2}, {255, 0, 128, 101}};
  // clang-format on
  for (const auto& c : cases) {
    Dib canvas = dib(24, 9);
    app::ComposeCanvas(dib(24, 200), dib(8, c.alphaA), dib(24, 200), dib(8, c.alphaB), dib(24, 0),
                       0, c.fade, canvas);
    EXPECT_EQ(canvas.Pixels[0], c.expected) << int(c.alphaA) << " " << c.fade;
  }
  // Over the window's face: a clear pixel takes the face colour, an opaque one keeps its own.
  const Dib clear = app::ComposeOverColour(dib(24, 200), dib(8, 0), qRgb(30, 60, 90));
  EXPECT_EQ(std::vector<int>({clear.Pixels[0], clear.Pixels[2]}), std::vector<int>({90, 30}));
  EXPECT_EQ(app::ComposeOverColour(dib(24, 200), dib(8, 255), qRgb(30, 60, 90)).Pixels[0], 199);
}

TEST(Pictures, PanelScrollsInEighthsAndFadesInThirteenTicks) {
  app::PanelAnimation a;
  a.SetGeometry(869, 149);
  EXPECT_EQ(a.TargetOf(1), 90);
  EXPECT_EQ(a.TargetOf(7), 630);
  a.Jump(0);
  a.Start(1);
  std::vector<int> fades, scrolls;
  while (auto fade = a.Tick()) {
    fades.push_back(*fade);
    scrolls.push_back(a.scroll());
    ASSERT_LT(fades.size(), 100u);
  }
  ASSERT_GE(fades.size(), 13u);
  EXPECT_EQ(std::vector<int>(fades.begin(), fades.begin() + 13),
            (std::vector<int>{0, 22, 44, 66, 88, 110, 132, 154, 176, 198, 220, 242, 255}));
  // A quarter of the way each tick, rounded to the nearest pixel going forward.
  EXPECT_EQ(std::vector<int>(scrolls.begin(), scrolls.begin() + 4),
            (std::vector<int>{23, 39, 52, 62}));
  EXPECT_GE(a.scroll(), 89);

  // A second Next during the motion starts again from the badge that was current.
  a.Start(2);
  (void)a.Tick();
  (void)a.Tick();
  a.Start(3);
  EXPECT_EQ(std::vector<int>({a.previous(), a.current(), a.fade(), a.target()}),
            std::vector<int>({2, 3, 0, a.TargetOf(3)}));
  // Going back rounds down and stops within a pixel of the target.
  a.Jump(4);
  a.Start(3);
  int ticks = 0;
  while (a.Tick())
    ++ticks;
  EXPECT_GE(ticks, 13);
  EXPECT_LE(a.scroll(), a.TargetOf(3) + 1);
}

}  // namespace
}  // namespace urlsmith::testing
