#include <QDirIterator>

#include "app/picture_panel.h"
#include "app/pictures.h"
#include "app/tools/j2k_writer.h"
#include "app_test_support.h"

namespace urlsmith::testing {
namespace {

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
