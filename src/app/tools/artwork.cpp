// Draws the wizard's pictures and writes them as JPEG 2000 codestreams (and the application
// icon also as PNG files for the desktop). Run by scripts/make-artwork; the output is
// committed under resources/.
//
//   urlsmith-artwork RESOURCES-FOLDER [PREVIEW.png]

#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>

#include "app/tools/j2k_writer.h"

using urlsmith::app::EncodeCodestream;
using urlsmith::app::PicturePlanes;

namespace {

const QColor kNight(0x12, 0x1c, 0x3a);
const QColor kIndigo(0x1f, 0x3a, 0x6e);
const QColor kTeal(0x23, 0x7a, 0x8c);
const QColor kAmber(0xf2, 0xa1, 0x4a);
const QColor kGold(0xf7, 0xc9, 0x5c);
const QColor kCream(0xfd, 0xf1, 0xd2);

// Deterministic noise, so that every run draws the same stars.
struct Random {
  unsigned state;
  double Next() {
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFF) / 65535.0;
  }
};

QImage Canvas(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

QFont Font(int pixels, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

// One chain link: a stadium-shaped ring around `centre`, turned by `angle` degrees.
void DrawLink(QPainter& p, QPointF centre, double length, double thickness, double angle,
              const QColor& colour, double width) {
  p.save();
  p.translate(centre);
  p.rotate(angle);
  QRectF ring(-length / 2, -thickness / 2, length, thickness);
  QLinearGradient shade(0, -thickness / 2, 0, thickness / 2);
  shade.setColorAt(0, colour.lighter(135));
  shade.setColorAt(0.5, colour);
  shade.setColorAt(1, colour.darker(150));
  p.setPen(QPen(QBrush(shade), width, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(ring, thickness / 2, thickness / 2);
  p.restore();
}

// A page of a web site: a sheet with a folded corner and lines of text.
void DrawPage(QPainter& p, QRectF r, const QColor& paper, const QColor& ink, double fold) {
  QPainterPath sheet;
  sheet.moveTo(r.topLeft());
  sheet.lineTo(r.right() - fold, r.top());
  sheet.lineTo(r.right(), r.top() + fold);
  sheet.lineTo(r.bottomRight());
  sheet.lineTo(r.bottomLeft());
  sheet.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(paper);
  p.drawPath(sheet);
  QPainterPath corner;
  corner.moveTo(r.right() - fold, r.top());
  corner.lineTo(r.right() - fold, r.top() + fold);
  corner.lineTo(r.right(), r.top() + fold);
  corner.closeSubpath();
  p.setBrush(paper.darker(125));
  p.drawPath(corner);
  p.setPen(QPen(ink, std::max(1.0, r.width() / 24)));
  const double step = std::max(3.0, r.height() / 9);
  int line = 0;
  for (double y = r.top() + fold + step; y < r.bottom() - step / 2; y += step, ++line) {
    const double end = r.right() - r.width() * (line % 3 == 2 ? 0.45 : 0.18);
    p.drawLine(QPointF(r.left() + r.width() * 0.16, y), QPointF(end, y));
  }
}

void Spark(QPainter& p, QPointF at, double radius, const QColor& colour) {
  QRadialGradient glow(at, radius);
  glow.setColorAt(0, QColor(255, 255, 240, 255));
  glow.setColorAt(0.25, colour);
  QColor clear = colour;
  clear.setAlpha(0);
  glow.setColorAt(1, clear);
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(at, radius, radius);
  p.setPen(
      QPen(QColor(255, 250, 220, 230), std::max(1.0, radius / 8), Qt::SolidLine, Qt::RoundCap));
  p.drawLine(at - QPointF(radius * 0.8, 0), at + QPointF(radius * 0.8, 0));
  p.drawLine(at - QPointF(0, radius * 0.8), at + QPointF(0, radius * 0.8));
}

// The panel's panorama: a night sky over a town of pages on the left, turning to dawn on the
// right; a chain runs across it, broken at first, mended and shining at the end. The lowest
// 35 rows are the ground the step badges stand on.
QImage PanelBackground() {
  const int width = 869;
  const int height = 299;
  const int ground = height - 35;
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient across(0, 0, width, 0);
  across.setColorAt(0.0, kNight);
  across.setColorAt(0.35, kIndigo);
  across.setColorAt(0.7, kTeal);
  across.setColorAt(1.0, kAmber);
  p.fillRect(image.rect(), across);
  QLinearGradient down(0, 0, 0, ground);
  down.setColorAt(0, QColor(8, 12, 30, 170));
  down.setColorAt(0.6, QColor(8, 12, 30, 30));
  down.setColorAt(1, QColor(255, 210, 150, 40));
  p.fillRect(QRect(0, 0, width, ground), down);

  // The sun rising at the far right.
  QRadialGradient sun(QPointF(800, ground - 10), 190);
  sun.setColorAt(0, QColor(255, 244, 200, 255));
  sun.setColorAt(0.12, QColor(255, 214, 130, 230));
  sun.setColorAt(0.45, QColor(247, 160, 80, 90));
  sun.setColorAt(1, QColor(247, 160, 80, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(sun);
  p.drawEllipse(QPointF(800, ground - 10), 190, 190);

  // Stars, thinning out towards the dawn.
  Random random{20260};
  for (int i = 0; i < 260; ++i) {
    const double x = random.Next() * width;
    const double y = random.Next() * (ground - 70);
    const double fade = std::max(0.0, 1.0 - x / 620.0);
    const double size = 0.5 + random.Next() * 1.1;
    p.setBrush(QColor(255, 255, 235, static_cast<int>(220 * fade * (0.4 + random.Next() * 0.6))));
    p.drawEllipse(QPointF(x, y), size, size);
  }

  // A town of pages on the horizon.
  Random town{7};
  std::vector<QRectF> roofs;
  for (double x = -10; x < width + 10;) {
    const double w = 26 + town.Next() * 30;
    const double h = 40 + town.Next() * 70;
    roofs.push_back(QRectF(x, ground - h, w, h));
    x += w + 4 + town.Next() * 10;
  }
  for (const QRectF& r : roofs) {
    const double t = r.center().x() / width;
    QColor paper = QColor::fromRgbF(0.10 + 0.22 * t, 0.14 + 0.2 * t, 0.26 + 0.12 * t);
    QColor ink = QColor::fromRgbF(0.55 + 0.4 * t, 0.62 + 0.25 * t, 0.75 - 0.1 * t, 0.55);
    DrawPage(p, r, paper, ink, 7);
  }

  // The chain: links along a gentle wave, broken and scattered at first, then whole.
  const int links = 30;
  for (int i = 0; i < links; ++i) {
    const double x = 18 + i * 29.0;
    const double wave = std::sin(x / 95.0) * 14;
    double y = 112 + wave;
    const double slope = std::cos(x / 95.0) * 14 / 95.0;
    double angle = std::atan(slope) * 180 / M_PI;
    const bool upright = i % 2 == 1;
    QColor colour = x < 330 ? QColor(0x8a, 0x96, 0xb0) : x < 560 ? QColor(0xc9, 0xb2, 0x7a) : kGold;
    if (x < 300 && i % 5 == 2) continue;  // a missing link
    if (x < 300 && i % 5 == 3) {          // a loose one, hanging askew
      y += 9;
      angle += 35;
    }
    if (upright) {
      DrawLink(p, QPointF(x, y), 34, 10, angle, colour.darker(115), 3.2);
    } else {
      DrawLink(p, QPointF(x, y), 38, 18, angle, colour, 4.2);
    }
  }
  Spark(p, QPointF(250, 118), 12, QColor(255, 120, 90, 200));
  Spark(p, QPointF(400, 106), 10, QColor(255, 200, 120, 200));
  Spark(p, QPointF(525, 96), 14, QColor(255, 220, 140, 220));
  Spark(p, QPointF(700, 124), 18, QColor(255, 235, 170, 230));

  // The ground.
  QLinearGradient soil(0, ground, 0, height);
  soil.setColorAt(0, QColor(0x0c, 0x14, 0x2b));
  soil.setColorAt(1, QColor(0x05, 0x09, 0x16));
  p.fillRect(QRect(0, ground, width, height - ground), soil);
  QLinearGradient rim(0, 0, width, 0);
  rim.setColorAt(0, QColor(0x3a, 0x55, 0x90));
  rim.setColorAt(1, kAmber);
  p.fillRect(QRect(0, ground, width, 2), rim);
  return image;
}

// A step badge: a glass plate with "Step N" and eight dots, the first N lit.
QImage StepBadge(int step) {
  QImage image = Canvas(141, 35);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF plate(4.5, 3.5, 132, 28);
  QLinearGradient glass(0, plate.top(), 0, plate.bottom());
  glass.setColorAt(0, QColor(255, 255, 255, 70));
  glass.setColorAt(0.5, QColor(40, 70, 130, 150));
  glass.setColorAt(1, QColor(10, 20, 50, 200));
  p.setPen(QPen(QColor(247, 201, 92, 230), 1.4));
  p.setBrush(glass);
  p.drawRoundedRect(plate, 9, 9);
  p.setFont(Font(14, true));
  p.setPen(QColor(0, 0, 0, 140));
  const QRectF text(13, 5, 70, 25);
  p.drawText(text.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Step %1").arg(step));
  p.setPen(QColor(255, 255, 255));
  p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Step %1").arg(step));
  for (int i = 0; i < 8; ++i) {
    const QPointF at(76 + i * 7.2, 17.5);
    if (i < step) {
      p.setPen(Qt::NoPen);
      p.setBrush(i == step - 1 ? kGold : QColor(247, 201, 92, 170));
      p.drawEllipse(at, i == step - 1 ? 3.0 : 2.4, i == step - 1 ? 3.0 : 2.4);
    } else {
      p.setPen(QPen(QColor(255, 255, 255, 120), 1));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(at, 2.2, 2.2);
    }
  }
  return image;
}

// The hammer that mends the chain.
void DrawHammer(QPainter& p, QPointF head, double angle, double scale) {
  p.save();
  p.translate(head);
  p.rotate(angle);
  p.scale(scale, scale);
  QLinearGradient wood(-4, 0, 4, 0);
  wood.setColorAt(0, QColor(0x8c, 0x5a, 0x2b));
  wood.setColorAt(0.5, QColor(0xc2, 0x85, 0x46));
  wood.setColorAt(1, QColor(0x7a, 0x4a, 0x22));
  p.setPen(QPen(QColor(0x4a, 0x2c, 0x12), 1));
  p.setBrush(wood);
  p.drawRoundedRect(QRectF(-4, 4, 8, 70), 3, 3);
  QLinearGradient steel(0, -12, 0, 12);
  steel.setColorAt(0, QColor(0xe8, 0xee, 0xf5));
  steel.setColorAt(0.5, QColor(0x9a, 0xa6, 0xb8));
  steel.setColorAt(1, QColor(0x5b, 0x66, 0x7a));
  p.setPen(QPen(QColor(0x30, 0x38, 0x48), 1.2));
  p.setBrush(steel);
  QPainterPath top;
  top.addRoundedRect(QRectF(-26, -11, 44, 20), 4, 4);
  top.addRoundedRect(QRectF(16, -8, 12, 14), 2, 2);
  p.drawPath(top.simplified());
  p.restore();
}

// The Welcome picture: the name, a line of what it does, and a page whose broken chain is
// being mended.
QImage WelcomePicture() {
  QImage image = Canvas(345, 231);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  // Soft shadow under the scene.
  QRadialGradient shadow(QPointF(172, 214), 150);
  shadow.setColorAt(0, QColor(0, 0, 0, 70));
  shadow.setColorAt(1, QColor(0, 0, 0, 0));
  p.save();
  p.translate(172, 214);
  p.scale(1, 0.12);
  p.translate(-172, -214);
  p.setPen(Qt::NoPen);
  p.setBrush(shadow);
  p.drawEllipse(QPointF(172, 214), 150, 150);
  p.restore();

  // A browser window with a page.
  const QRectF window(18, 66, 190, 140);
  p.setPen(QPen(QColor(0x1f, 0x3a, 0x6e), 1.5));
  p.setBrush(QColor(255, 255, 255));
  p.drawRoundedRect(window, 8, 8);
  QPainterPath bar;
  bar.addRoundedRect(QRectF(window.left(), window.top(), window.width(), 24), 8, 8);
  bar.addRect(QRectF(window.left(), window.top() + 12, window.width(), 12));
  QLinearGradient title(0, window.top(), 0, window.top() + 24);
  title.setColorAt(0, QColor(0x3b, 0x64, 0xa8));
  title.setColorAt(1, QColor(0x1f, 0x3a, 0x6e));
  p.setPen(Qt::NoPen);
  p.setBrush(title);
  p.drawPath(bar.simplified());
  const QColor lights[3] = {QColor(0xf2, 0x6b, 0x5b), kGold, QColor(0x6b, 0xc4, 0x7f)};
  for (int i = 0; i < 3; ++i) {
    p.setBrush(lights[i]);
    p.drawEllipse(QPointF(window.left() + 13 + i * 12, window.top() + 12), 3.6, 3.6);
  }
  p.setBrush(QColor(255, 255, 255, 230));
  p.drawRoundedRect(QRectF(window.left() + 50, window.top() + 6, 130, 12), 6, 6);
  p.setPen(QPen(QColor(0x8a, 0x9a, 0xb5), 1.2));
  p.drawLine(QPointF(window.left() + 58, window.top() + 12),
             QPointF(window.left() + 140, window.top() + 12));
  // Text lines, one of them a link.
  p.setPen(QPen(QColor(0xb8, 0xc2, 0xd4), 4, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 6; ++i) {
    const double y = window.top() + 42 + i * 15;
    const double end = window.right() - (i % 3 == 2 ? 70 : 18);
    if (i == 2) {
      p.drawLine(QPointF(window.left() + 14, y), QPointF(window.left() + 40, y));
      p.setPen(QPen(QColor(0x1f, 0x6f, 0xe0), 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(window.left() + 50, y), QPointF(window.left() + 118, y));
      p.setPen(QPen(QColor(0x1f, 0x6f, 0xe0), 1.5));
      p.drawLine(QPointF(window.left() + 48, y + 5), QPointF(window.left() + 120, y + 5));
      p.setPen(QPen(QColor(0xb8, 0xc2, 0xd4), 4, Qt::SolidLine, Qt::RoundCap));
      continue;
    }
    p.drawLine(QPointF(window.left() + 14, y), QPointF(end, y));
  }

  // The chain from the link to the right: mended in the middle, where the hammer strikes.
  DrawLink(p, QPointF(196, 118), 46, 22, -18, QColor(0x9a, 0xa6, 0xb8), 5.5);
  DrawLink(p, QPointF(232, 108), 42, 13, -18, kAmber, 4.5);
  DrawLink(p, QPointF(268, 97), 46, 22, -18, kGold, 5.5);
  DrawLink(p, QPointF(304, 86), 42, 13, -18, QColor(0xe0, 0xb0, 0x50), 4.5);
  Spark(p, QPointF(232, 104), 20, QColor(255, 200, 110, 220));
  Spark(p, QPointF(248, 130), 7, QColor(255, 180, 90, 200));
  Spark(p, QPointF(214, 90), 6, QColor(255, 220, 140, 200));
  DrawHammer(p, QPointF(270, 150), 28, 0.9);

  // The name and what it does.
  p.setFont(Font(34, true));
  p.setPen(QColor(0, 0, 0, 40));
  p.drawText(QRectF(0, 2, 345, 42).translated(1.5, 1.5), Qt::AlignHCenter | Qt::AlignVCenter,
             QStringLiteral("Urlsmith"));
  QLinearGradient ink(0, 8, 0, 40);
  ink.setColorAt(0, QColor(0x2b, 0x52, 0x96));
  ink.setColorAt(1, QColor(0x12, 0x1c, 0x3a));
  p.setPen(QPen(QBrush(ink), 1));
  p.drawText(QRectF(0, 2, 345, 42), Qt::AlignHCenter | Qt::AlignVCenter,
             QStringLiteral("Urlsmith"));
  p.setFont(Font(12, false));
  p.setPen(QColor(0x3a, 0x46, 0x60));
  p.drawText(QRectF(0, 42, 345, 18), Qt::AlignHCenter | Qt::AlignVCenter,
             QStringLiteral("finds the broken links of your site and mends them"));
  return image;
}

// The About box's strip: the panorama's colours from top to bottom with a hanging chain.
QImage AboutPicture() {
  QImage image(59, 260, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient down(0, 0, 0, 260);
  down.setColorAt(0, kNight);
  down.setColorAt(0.45, kIndigo);
  down.setColorAt(0.75, kTeal);
  down.setColorAt(1, kAmber);
  p.fillRect(image.rect(), down);
  Random random{59};
  for (int i = 0; i < 30; ++i) {
    const double y = random.Next() * 150;
    const double x = random.Next() * 59;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 235, static_cast<int>(200 * (1 - y / 160))));
    p.drawEllipse(QPointF(x, y), 0.8, 0.8);
  }
  for (int i = 0; i < 7; ++i) {
    const double y = 34 + i * 30;
    if (i % 2 == 0) {
      DrawLink(p, QPointF(29.5, y), 40, 20, 90, i < 3 ? QColor(0xb0, 0xbc, 0xd4) : kGold, 4.5);
    } else {
      DrawLink(p, QPointF(29.5, y), 36, 10, 90, i < 3 ? QColor(0x8a, 0x96, 0xb0) : kAmber, 3.5);
    }
  }
  Spark(p, QPointF(29.5, 124), 14, QColor(255, 220, 140, 220));
  return image;
}

// The tip box's lamp, 21 x 35 on the box's white strip: lit or not.
QImage Lamp(bool lit) {
  QImage image(21, 35, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(10.5, 10.5);
  if (lit) {
    QRadialGradient halo(centre, 10.5);
    halo.setColorAt(0.7, QColor(255, 230, 120, 160));
    halo.setColorAt(1, QColor(255, 230, 120, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, 10.5, 10.5);
  }
  QPainterPath glass;
  glass.addEllipse(centre, 7.6, 7.6);
  QPainterPath neck;
  neck.moveTo(5.6, 15.5);
  neck.cubicTo(6.8, 18.5, 7.4, 20, 7.4, 22.5);
  neck.lineTo(13.6, 22.5);
  neck.cubicTo(13.6, 20, 14.2, 18.5, 15.4, 15.5);
  neck.closeSubpath();
  glass = glass.united(neck);
  QRadialGradient fill(QPointF(8.5, 8), 9);
  if (lit) {
    fill.setColorAt(0, QColor(255, 255, 240));
    fill.setColorAt(0.45, QColor(255, 226, 90));
    fill.setColorAt(1, QColor(242, 160, 40));
  } else {
    fill.setColorAt(0, QColor(250, 250, 250));
    fill.setColorAt(0.6, QColor(220, 224, 230));
    fill.setColorAt(1, QColor(170, 176, 186));
  }
  p.setPen(QPen(lit ? QColor(200, 120, 20) : QColor(120, 126, 136), 1.1));
  p.setBrush(fill);
  p.drawPath(glass);
  // Filament.
  p.setPen(QPen(lit ? QColor(255, 250, 230) : QColor(110, 110, 110), 1.0));
  QPainterPath wire;
  wire.moveTo(8.6, 19);
  wire.lineTo(8.6, 12);
  wire.cubicTo(9.2, 9.5, 11.8, 9.5, 12.4, 12);
  wire.lineTo(12.4, 19);
  p.setBrush(Qt::NoBrush);
  p.drawPath(wire);
  // The screw base.
  for (int i = 0; i < 4; ++i) {
    QLinearGradient metal(7, 0, 14, 0);
    metal.setColorAt(0, QColor(120, 124, 132));
    metal.setColorAt(0.4, QColor(225, 228, 232));
    metal.setColorAt(1, QColor(110, 114, 122));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawRoundedRect(QRectF(7, 23 + i * 2.4, 7, 2.1), 1, 1);
  }
  p.setBrush(QColor(70, 72, 78));
  p.drawEllipse(QRectF(8.5, 32.2, 4, 2.4));
  return image;
}

// The hand shown over the About box's links; its finger tip is at (10, 1).
QImage HandCursor() {
  QImage image = Canvas(32, 32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath hand;
  hand.addRoundedRect(QRectF(7.5, 0.5, 5.5, 17), 2.75, 2.75);  // the pointing finger
  hand.addRoundedRect(QRectF(12, 9.5, 5, 10), 2.5, 2.5);       // middle finger
  hand.addRoundedRect(QRectF(16.5, 10.5, 5, 10), 2.5, 2.5);    // ring finger
  hand.addRoundedRect(QRectF(21, 12, 4.5, 9), 2.25, 2.25);     // little finger
  hand.addRoundedRect(QRectF(7.5, 14, 18, 13.5), 5, 5);        // palm
  QPainterPath thumb;
  thumb.moveTo(8.5, 17.5);
  thumb.cubicTo(6, 14.5, 2.5, 14, 2.2, 16.2);
  thumb.cubicTo(2, 18, 6, 23, 9, 26.5);
  thumb.closeSubpath();
  hand = hand.united(thumb).simplified();
  p.setPen(QPen(Qt::black, 1.1));
  p.setBrush(Qt::white);
  p.drawPath(hand);
  p.setPen(QPen(QColor(0, 0, 0, 110), 0.8));
  p.drawLine(QPointF(12.2, 16.5), QPointF(12.2, 19.5));
  p.drawLine(QPointF(16.7, 17), QPointF(16.7, 20));
  p.drawLine(QPointF(21.2, 18), QPointF(21.2, 21));
  return image;
}

// The application icon: two chain links, one mended in gold, on a deep blue tile.
QImage AppIcon(int size) {
  QImage image = Canvas(size, size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  const QRectF tile(2, 2, 60, 60);
  QLinearGradient blue(0, 2, 0, 62);
  blue.setColorAt(0, QColor(0x2f, 0x5c, 0xa6));
  blue.setColorAt(1, kNight);
  p.setPen(size >= 32 ? QPen(QColor(0x0b, 0x12, 0x28), 1.2) : Qt::NoPen);
  p.setBrush(blue);
  p.drawRoundedRect(tile, 13, 13);
  if (size >= 48) {
    QRadialGradient glow(QPointF(40, 24), 22);
    glow.setColorAt(0, QColor(255, 220, 140, 110));
    glow.setColorAt(1, QColor(255, 220, 140, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(40, 24), 22, 22);
  }
  const double width = size <= 16 ? 7 : 6;
  DrawLink(p, QPointF(24.5, 39.5), 34, 17, -45, QColor(0xe6, 0xec, 0xf5), width);
  DrawLink(p, QPointF(39.5, 24.5), 34, 17, -45, kGold, width);
  // The first link passes over the second at one crossing, so that they interlock.
  p.save();
  p.setClipRect(QRectF(22, 22, 12, 12));
  DrawLink(p, QPointF(24.5, 39.5), 34, 17, -45, QColor(0xe6, 0xec, 0xf5), width);
  p.restore();
  if (size >= 32) Spark(p, QPointF(47, 15), 7, QColor(255, 230, 160, 220));
  return image;
}

PicturePlanes PlanesOf(const QImage& source, bool withAlpha) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  PicturePlanes planes;
  planes.Width = image.width();
  planes.Height = image.height();
  planes.Components.assign(withAlpha ? 4 : 3, {});
  for (auto& plane : planes.Components)
    plane.reserve(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      planes.Components[0].push_back(qRed(row[x]));
      planes.Components[1].push_back(qGreen(row[x]));
      planes.Components[2].push_back(qBlue(row[x]));
      if (withAlpha) planes.Components[3].push_back(qAlpha(row[x]));
    }
  }
  return planes;
}

bool Write(const QString& path, const QImage& image, bool withAlpha, float ratio = 0) {
  const std::vector<std::uint8_t> bytes = EncodeCodestream(PlanesOf(image, withAlpha), ratio);
  QFile file(path);
  if (bytes.empty() || !file.open(QIODevice::WriteOnly) ||
      file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
          static_cast<qint64>(bytes.size())) {
    std::fprintf(stderr, "urlsmith-artwork: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%-40s %6zu bytes\n", qPrintable(path), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 2) {
    std::fputs("usage: urlsmith-artwork RESOURCES-FOLDER [PREVIEW.png]\n", stderr);
    return 2;
  }
  const QDir root(QString::fromLocal8Bit(argv[1]));
  const QString pictures = root.filePath(QStringLiteral("pictures"));
  QDir().mkpath(pictures);
  auto at = [&](const QString& name) { return QDir(pictures).filePath(name); };

  const QImage background = PanelBackground();
  const QImage welcome = WelcomePicture();
  const QImage about = AboutPicture();
  bool ok = Write(at(QStringLiteral("204.j2k")), background, false, 6) &&
            Write(at(QStringLiteral("244.j2k")), welcome, true) &&
            Write(at(QStringLiteral("107.j2k")), about, false, 4) &&
            Write(at(QStringLiteral("178.j2k")), Lamp(true), false) &&
            Write(at(QStringLiteral("183.j2k")), Lamp(false), false) &&
            Write(at(QStringLiteral("101.j2k")), HandCursor(), true);
  std::vector<QImage> badges;
  for (int step = 1; ok && step <= 8; ++step) {
    badges.push_back(StepBadge(step));
    ok = Write(at(QStringLiteral("%1.j2k").arg(204 + step)), badges.back(), true);
  }
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    if (!ok) break;
    const QImage icon = AppIcon(size);
    ok = Write(at(QStringLiteral("116-%1.j2k").arg(size)), icon, true);
    const QString folder = root.filePath(QStringLiteral("icons/hicolor/%1x%1/apps").arg(size));
    QDir().mkpath(folder);
    ok = ok && icon.save(QDir(folder).filePath(QStringLiteral("urlsmith.png")));
  }
  if (!ok) return 1;

  if (argc > 2) {
    // Everything on one sheet, on a face-coloured ground, to look at.
    QImage sheet(900, 640, QImage::Format_RGB32);
    sheet.fill(QColor(0xef, 0xef, 0xef));
    QPainter p(&sheet);
    p.drawImage(10, 10, background);
    p.drawImage(10, 320, welcome);
    p.drawImage(370, 320, about);
    for (std::size_t i = 0; i < badges.size(); ++i) {
      p.drawImage(440 + static_cast<int>(i % 2) * 150, 320 + static_cast<int>(i / 2) * 40,
                  background.copy(static_cast<int>(i) * 88, 264, 141, 35));
      p.drawImage(440 + static_cast<int>(i % 2) * 150, 320 + static_cast<int>(i / 2) * 40,
                  badges[i]);
    }
    p.drawImage(440, 490, Lamp(true));
    p.drawImage(470, 490, Lamp(false));
    p.drawImage(500, 490, HandCursor());
    int x = 540;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
      p.drawImage(x, 490, AppIcon(size));
      x += size + 8;
    }
    p.end();
    sheet.save(QString::fromLocal8Bit(argv[2]));
  }
  return 0;
}
