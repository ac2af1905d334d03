// The pictures: decoding the built-in codestreams, the blend table, the panel's compositing and
// motion, the tip of the day and the About box.
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "app/about_box.h"
#include "app/picture_panel.h"
#include "app/pictures.h"
#include "app/steps/welcome_step.h"
#include "app/tools/j2k_writer.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

using app::Dib;

std::vector<std::uint8_t> ResourceBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return {bytes.begin(), bytes.end()};
}

// A 2 x 2 picture whose pixels say where they are: red = column, green = row, blue = 7.
app::PicturePlanes Tiny(int components, int precision = 8) {
  app::PicturePlanes p;
  p.Width = 2;
  p.Height = 2;
  p.Precision = precision;
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

TEST(Pictures, EveryBuiltInPictureDecodesAtItsSize) {
  struct Case {
    QString path;
    int width, height;
    bool transparency;
  };
  std::vector<Case> cases = {
      {":/pictures/107.j2k", 59, 260, false}, {":/pictures/204.j2k", 869, 299, false},
      {":/pictures/244.j2k", 345, 231, true}, {":/pictures/178.j2k", 21, 35, false},
      {":/pictures/183.j2k", 21, 35, false},  {":/pictures/101.j2k", 32, 32, true},
  };
  for (int id = 205; id <= 212; ++id) {
    cases.push_back({QStringLiteral(":/pictures/%1.j2k").arg(id), 141, 35, true});
  }
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    cases.push_back({QStringLiteral(":/pictures/116-%1.j2k").arg(size), size, size, true});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    const std::vector<std::uint8_t> bytes = ResourceBytes(c.path);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 4),
              (std::vector<std::uint8_t>{0xFF, 0x4F, 0xFF, 0x51}));  // a raw codestream
    Dib colour, alpha;
    ASSERT_EQ(app::LoadPictureFile(c.path, false, colour, &alpha), app::kPictureLoaded);
    EXPECT_EQ(colour.Width, c.width);
    EXPECT_EQ(colour.Height, c.height);
    EXPECT_EQ(colour.BitsPerPixel, 24);
    EXPECT_EQ(colour.BytesPerRow % 4, 0);
    EXPECT_EQ(alpha.BitsPerPixel, 8);
    // Pictures with transparency have clear and opaque pixels; the others have no plane, so
    // theirs is all zero.
    const auto opaque = std::count(alpha.Pixels.begin(), alpha.Pixels.end(), 255);
    const auto zero = std::count(alpha.Pixels.begin(), alpha.Pixels.end(), 0);
    EXPECT_EQ(opaque > 0, c.transparency);
    EXPECT_EQ(zero == static_cast<long>(alpha.Pixels.size()), !c.transparency);
  }
}

TEST(Pictures, BytesAreBlueGreenRedAndRowsStandUprightInEitherOrder) {
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
        EXPECT_EQ(row[3 * x + 0], 7);
        EXPECT_EQ(row[3 * x + 1], 20 + yTop);
        EXPECT_EQ(row[3 * x + 2], 10 + x);
        EXPECT_EQ(alpha.RowFromBottom(1 - yTop)[x], 100 + 2 * yTop + x);
      }
    }
    // The top row is the first in memory only when asked for.
    EXPECT_EQ(colour.Pixels[1], topDown ? 20 : 21);
  }
  const QImage image = app::ImageOf([&] {
    Dib d, a;
    (void)app::DecodePicture(stream, false, d, &a);
    return d;
  }());
  EXPECT_EQ(image.pixel(1, 0), qRgb(11, 20, 7));
}

TEST(Pictures, BrokenDataLeavesTheBitmapEmpty) {
  const std::vector<std::uint8_t> good = app::EncodeCodestream(Tiny(3));
  std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(good.size() / 3));
  std::vector<std::uint8_t> noise(good.size(), 0x5A);
  std::vector<std::uint8_t> wrongStart = good;
  wrongStart[1] = 0x00;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
    int result;
  } cases[] = {
      {"empty", {}, app::kPictureUndecodable},
      {"cut short", cut, app::kPictureUndecodable},
      {"noise", noise, app::kPictureUndecodable},
      {"no start marker", wrongStart, app::kPictureUndecodable},
      {"16-bit samples", app::EncodeCodestream(Tiny(3, 16)), app::kPictureNot8Bits},
      {"grey", app::EncodeCodestream(Tiny(1)), app::kPictureLoaded},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Dib colour;
    colour.Pixels.assign(4, 1);  // a bitmap that was set before is replaced
    Dib alpha;
    EXPECT_EQ(app::DecodePicture(c.bytes, false, colour, &alpha), c.result);
    EXPECT_EQ(colour.empty(), c.result != app::kPictureLoaded);
  }
  Dib colour;
  EXPECT_EQ(app::LoadPicture(999, false, colour), app::kPictureNotFound);
  EXPECT_TRUE(app::ImageOf(colour).isNull());
}

TEST(Pictures, BlendTableAndCompositing) {
  const app::BlendTable& t = app::BlendTable::Get();
  EXPECT_EQ(t.entry(255, 1), 0);
  EXPECT_EQ(t.entry(255, 255), 254);
  EXPECT_EQ(t.entry(255, -200), -199);
  EXPECT_EQ(t.entry(128, 100), 50);
  EXPECT_EQ(t.entry(1, -254), 0);
  for (int d = -255; d <= 255; ++d)
    ASSERT_EQ(t.entry(0, d), 0);

  // One-pixel badges over a one-pixel background: badge byte 200, background byte 0.
  auto dib = [](int bits, std::uint8_t value) {
    Dib d;
    d.Width = d.Height = 1;
    d.BitsPerPixel = bits;
    d.BytesPerRow = 4;
    d.Pixels.assign(4, value);
    return d;
  };
  struct Case {
    std::uint8_t alphaA, alphaB;
    int fade;
    int expected;
  } cases[] = {
      {255, 255, 0, 200},  // an opaque badge shows itself
      {0, 0, 0, 1},        // a clear one shows the background, off by the table's rounding
      {255, 0, 255, 2},    // faded all the way to the clear one (255 is not quite 1)
      {255, 0, 128, 101},  // halfway between
  };
  const Dib background = dib(24, 0);
  for (const Case& c : cases) {
    Dib canvas = dib(24, 9);
    app::ComposeCanvas(dib(24, 200), dib(8, c.alphaA), dib(24, 200), dib(8, c.alphaB), background,
                       0, c.fade, canvas);
    EXPECT_EQ(canvas.Pixels[0], c.expected) << int(c.alphaA) << " " << c.fade;
  }
  // Over the window's face: a clear pixel takes the face colour, an opaque one keeps its own.
  Dib colour = dib(24, 200);
  const Dib composed = app::ComposeOverColour(colour, dib(8, 0), qRgb(30, 60, 90));
  EXPECT_EQ(composed.Pixels[0], 90);  // blue
  EXPECT_EQ(composed.Pixels[2], 30);  // red
  EXPECT_EQ(app::ComposeOverColour(colour, dib(8, 255), qRgb(30, 60, 90)).Pixels[0], 199);
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
  EXPECT_EQ(a.previous(), 2);
  EXPECT_EQ(a.current(), 3);
  EXPECT_EQ(a.fade(), 0);
  EXPECT_EQ(a.target(), a.TargetOf(3));

  // Going back rounds down and stops within a pixel of the target.
  a.Jump(4);
  a.Start(3);
  int ticks = 0;
  while (a.Tick())
    ++ticks;
  EXPECT_GE(ticks, 13);
  EXPECT_LE(a.scroll(), a.TargetOf(3) + 1);
}

TEST(Pictures, PanelWidgetSwitchesAtOnceOrAnimates) {
  FrameFixture f;
  auto* panel = f->findChild<app::PicturePanel*>("frame1017");
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->animating());
  EXPECT_EQ(panel->animation().scroll(), 0);
  const std::vector<std::uint8_t> first = panel->canvas().Pixels;
  f->Next();
  EXPECT_TRUE(panel->animating());
  EXPECT_EQ(panel->animation().target(), panel->animation().TargetOf(1));
  for (int i = 0; i < 60 && panel->animating(); ++i)
    panel->Tick();
  EXPECT_FALSE(panel->animating());
  EXPECT_NE(panel->canvas().Pixels, first);  // the second badge over another stretch
  panel->ShowStep(5, false);
  EXPECT_FALSE(panel->animating());
  EXPECT_EQ(panel->animation().scroll(), panel->animation().TargetOf(5));
}

TEST(Welcome, TheTipMovesOnWithEveryEntry) {
  const std::pair<std::optional<int>, int> counters[] = {{std::nullopt, 0}, {0, 1},  {15, 16},
                                                         {16, 0},           {40, 0}, {-3, 0}};
  for (auto [stored, next] : counters)
    EXPECT_EQ(app::NextTipCounter(stored), next);
  EXPECT_STREQ(app::TipText(99), app::TipText(0));
  EXPECT_STREQ(app::TipText(16), "Do you know that you do not know that you do not know?");

  FrameFixture f;  // the Welcome step was entered once: tip 0
  auto* welcome = static_cast<app::WelcomeStep*>(f->page(app::kWelcomeStep));
  EXPECT_EQ(welcome->tipBox()->tip(), 0);
  EXPECT_EQ(f.settings.LoadTipCounter(), 0);
  EXPECT_FALSE(Find<QLabel>(welcome, app::ControlName(1072))->pixmap().isNull());
  ASSERT_TRUE(f.settings.SaveTipCounter(16));
  f->Next();
  EXPECT_FALSE(welcome->tipBox()->lampRunning());  // leaving stops the lamp
  f->Previous();
  EXPECT_EQ(welcome->tipBox()->tip(), 0);
  EXPECT_EQ(f.settings.LoadTipCounter(), 0);
  f->Next();
  f->Previous();
  EXPECT_EQ(welcome->tipBox()->tip(), 1);
  EXPECT_TRUE(welcome->tipBox()->lampRunning());
  EXPECT_FALSE(f->previousButton()->isEnabled());
  EXPECT_TRUE(f->nextButton()->isEnabled());

  // The lamp flickers for eleven frames and stays lit.
  app::TipBox* box = welcome->tipBox();
  std::vector<bool> lit;
  while (box->lampRunning()) {
    box->LampTick();
    lit.push_back(box->lampLit());
  }
  EXPECT_EQ(lit.size(), 11u);
  EXPECT_TRUE(lit.back());
  EXPECT_FALSE(lit[lit.size() - 2]);
}

TEST(About, LinksLightUpUnderTheCursorAndOpenOnRelease) {
  std::vector<QUrl> opened;
  app::AboutBox box(nullptr, [&](const QUrl& url) { opened.push_back(url); });
  box.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
  auto* web = Find<QLabel>(&box, app::ControlName(1013));
  auto* support = Find<QLabel>(&box, app::ControlName(1015));
  auto* product = Find<QLabel>(&box, app::ControlName(1056));
  EXPECT_EQ(product->text(), "Urlsmith 2.01.1");
  EXPECT_EQ(Find<QLabel>(&box, app::ControlName(1057))->text(), "by Brindlecove Software");
  const QPoint overWeb = web->mapToGlobal(web->rect().center());
  const QPoint overSupport = support->mapToGlobal(support->rect().center());
  const QPoint elsewhere = product->mapToGlobal(product->rect().center());

  box.UpdateHover(overWeb);
  EXPECT_EQ(box.hovered(), app::AboutBox::Link::WebSite);
  EXPECT_TRUE(web->font().underline());
  EXPECT_EQ(web->palette().color(QPalette::WindowText), QColor(0, 63, 255));
  EXPECT_EQ(support->palette().color(QPalette::WindowText), QColor(0, 15, 127));
  EXPECT_EQ(box.cursor().shape(), Qt::BitmapCursor);  // the hand
  box.UpdateHover(elsewhere);
  EXPECT_EQ(box.hovered(), app::AboutBox::Link::None);
  EXPECT_FALSE(web->font().underline());
  EXPECT_EQ(box.cursor().shape(), Qt::ArrowCursor);

  // Any button drags the box; releasing over a link opens it.
  const struct {
    Qt::MouseButton button;
    QPoint release;
    std::vector<QUrl> opened;
  } drags[] = {
      {Qt::LeftButton, elsewhere, {}},
      {Qt::RightButton, overWeb, {app::kWebSiteUrl}},
      {Qt::MiddleButton, overSupport, {app::kSupportUrl}},
  };
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

}  // namespace
}  // namespace urlsmith::testing
