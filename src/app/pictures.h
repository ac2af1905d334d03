// The program's pictures: JPEG 2000 codestreams built into the program as resources, decoded
// into device-independent bitmaps (blue, green, red bytes; rows padded to four bytes), and the
// one table that every alpha blend of the wizard uses.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QIcon>
#include <QImage>

namespace urlsmith::app {

// Resource ids of the pictures (":/pictures/<id>.j2k").
inline constexpr int kAboutPicture = 107;
inline constexpr int kPanelBackground = 204;
inline constexpr int kFirstStepBadge = 205;  // 205 ... 212: steps 1 to 8
inline constexpr int kWelcomePicture = 244;
inline constexpr int kLampLit = 178;
inline constexpr int kLampUnlit = 183;
inline constexpr int kHandCursor = 101;
inline constexpr int kFrameIcon = 116;  // ":/pictures/116-<size>.j2k", several sizes

// A bitmap and its description. Bottom-up unless `TopDown`: row 0 of `Pixels` is then the
// picture's lowest row.
struct Dib {
  int Width = 0;
  int Height = 0;
  int BitsPerPixel = 0;  // 8 (grey or transparency) or 24
  int BytesPerRow = 0;   // a multiple of 4
  bool TopDown = false;
  std::vector<std::uint8_t> Pixels;

  bool empty() const { return Pixels.empty(); }
  // The first byte of the picture's row y counted from the bottom, whatever the row order.
  std::uint8_t* RowFromBottom(int y) {
    return Pixels.data() + static_cast<std::size_t>(TopDown ? Height - 1 - y : y) * BytesPerRow;
  }
  const std::uint8_t* RowFromBottom(int y) const {
    return const_cast<Dib*>(this)->RowFromBottom(y);
  }
};

// A zeroed bitmap of that size (rows padded to four bytes).
Dib NewDib(int width, int height, int bitsPerPixel, bool topDown = false);

// The loader's results.
enum PictureResult : int {
  kPictureLoaded = 0,
  kPictureNotFound = 1,     // no resource of that id
  kPictureNotLocked = 2,    // the resource could not be opened
  kPictureEmpty = 3,        // the resource could not be read or is empty
  kPictureUndecodable = 4,  // the codestream could not be decoded
  kPictureNot8Bits = 5,     // a colour component is not 8 bits deep
  kPictureNoBitmap = 6,     // the picture is too large for a bitmap
  kPictureBadLayout = 7,    // a component's samples do not cover the bitmap
};

// Decodes a raw JPEG 2000 codestream (not the JP2 file format) into `colour` (24 bits for three
// or more components, else 8) and, when asked for, `transparency` (8 bits, from the component
// after the colour ones; zero when there is none). Both are replaced; on failure `colour` is
// left empty.
int DecodePicture(std::span<const std::uint8_t> codestream, bool topDown, Dib& colour,
                  Dib* transparency = nullptr);

// The same for the built-in picture `resourceId`.
int LoadPicture(int resourceId, bool topDown, Dib& colour, Dib* transparency = nullptr);
// The built-in picture at `path` (a resource path such as ":/pictures/116-32.j2k").
int LoadPictureFile(const QString& path, bool topDown, Dib& colour, Dib* transparency = nullptr);

// A bitmap (with its optional transparency) as an upright QImage; a null image when empty.
QImage ImageOf(const Dib& colour, const Dib* transparency = nullptr);

// The application icon in every size that is built in.
QIcon ApplicationIcon();

// The blend table: 256 opacities by 511 differences (-255 ... 255). Built on first use and
// kept for the program's life.
class BlendTable {
 public:
  static const BlendTable& Get();
  // Difference d scaled by opacity a, truncated toward zero.
  int entry(int a, int d) const { return rows_[a][d + 255]; }
  // Value v over base b at opacity a, one byte.
  std::uint8_t Blend(int a, int v, int b) const {
    return static_cast<std::uint8_t>((b + entry(a, v - b)) & 0xFF);
  }

 private:
  BlendTable();
  std::int16_t rows_[256][511];
};

// The picture composed once over a plain colour (the window's face): every byte becomes
// face + entry(alpha, byte - face), channel by channel. The result is a 24-bit bitmap.
Dib ComposeOverColour(const Dib& colour, const Dib& transparency, QRgb face);

}  // namespace urlsmith::app
