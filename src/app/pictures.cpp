#include "app/pictures.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

#include <QFile>
#include <QPixmap>

namespace urlsmith::app {

namespace {

// A codestream read from memory.
struct MemoryStream {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
};

OPJ_SIZE_T ReadStream(void* buffer, OPJ_SIZE_T bytes, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  if (s->pos >= s->size) return static_cast<OPJ_SIZE_T>(-1);
  const std::size_t n = std::min<std::size_t>(bytes, s->size - s->pos);
  std::memcpy(buffer, s->data + s->pos, n);
  s->pos += n;
  return n;
}

OPJ_OFF_T SkipStream(OPJ_OFF_T bytes, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  if (bytes < 0) {
    const auto back = std::min<std::size_t>(static_cast<std::size_t>(-bytes), s->pos);
    s->pos -= back;
    return -static_cast<OPJ_OFF_T>(back);
  }
  const auto ahead = std::min<std::size_t>(static_cast<std::size_t>(bytes), s->size - s->pos);
  s->pos += ahead;
  return static_cast<OPJ_OFF_T>(ahead);
}

OPJ_BOOL SeekStream(OPJ_OFF_T to, void* user) {
  auto* s = static_cast<MemoryStream*>(user);
  if (to < 0 || static_cast<std::size_t>(to) > s->size) return OPJ_FALSE;
  s->pos = static_cast<std::size_t>(to);
  return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

// The decoder's image, released when it goes out of scope.
struct DecodedImage {
  opj_image_t* image = nullptr;
  ~DecodedImage() {
    if (image != nullptr) opj_image_destroy(image);
  }
};

// A picture larger than this is refused before its samples are decoded.
constexpr std::uint64_t kMaxPixels = 16u << 20;

bool Decode(std::span<const std::uint8_t> bytes, DecodedImage& out, bool& tooLarge) {
  MemoryStream memory{bytes.data(), bytes.size()};
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  if (stream == nullptr) return false;
  opj_stream_set_user_data(stream, &memory, nullptr);
  opj_stream_set_user_data_length(stream, bytes.size());
  opj_stream_set_read_function(stream, ReadStream);
  opj_stream_set_skip_function(stream, SkipStream);
  opj_stream_set_seek_function(stream, SeekStream);
  opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
  opj_set_info_handler(codec, Quiet, nullptr);
  opj_set_warning_handler(codec, Quiet, nullptr);
  opj_set_error_handler(codec, Quiet, nullptr);
  opj_dparameters_t parameters;
  opj_set_default_decoder_parameters(&parameters);
  bool ok = opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &out.image);
  if (ok && static_cast<std::uint64_t>(out.image->x1) * out.image->y1 > kMaxPixels) {
    tooLarge = true;
    ok = false;
  }
  ok = ok && opj_decode(codec, stream, out.image) && opj_end_decompress(codec, stream);
  opj_destroy_codec(codec);
  opj_stream_destroy(stream);
  return ok;
}

bool Covers(const opj_image_comp_t& component, std::uint32_t width, std::uint32_t height) {
  return component.data != nullptr && component.w == width && component.h == height;
}

}  // namespace

Dib NewDib(int width, int height, int bitsPerPixel, bool topDown) {
  Dib dib;
  dib.Width = width;
  dib.Height = height;
  dib.BitsPerPixel = bitsPerPixel;
  dib.BytesPerRow = (width * (bitsPerPixel / 8) + 3) / 4 * 4;
  dib.TopDown = topDown;
  dib.Pixels.assign(static_cast<std::size_t>(dib.BytesPerRow) * height, 0);
  return dib;
}

int DecodePicture(std::span<const std::uint8_t> codestream, bool topDown, Dib& colour,
                  Dib* transparency) {
  colour = Dib{};
  if (transparency != nullptr) *transparency = Dib{};
  DecodedImage decoded;
  bool tooLarge = false;
  if (!Decode(codestream, decoded, tooLarge)) {
    return tooLarge ? kPictureNoBitmap : kPictureUndecodable;
  }
  const opj_image_t& image = *decoded.image;
  if (image.numcomps == 0 || image.comps == nullptr) return kPictureUndecodable;
  const std::uint32_t width = image.x1;
  const std::uint32_t height = image.y1;
  const std::uint32_t channels = image.numcomps >= 3 ? 3 : 1;
  for (std::uint32_t c = 0; c < channels; ++c) {
    if (image.comps[c].prec != 8) return kPictureNot8Bits;
  }
  if (width == 0 || height == 0) return kPictureNoBitmap;
  const bool withPlane = transparency != nullptr && image.numcomps > channels;
  for (std::uint32_t c = 0; c < channels + (withPlane ? 1 : 0); ++c) {
    if (!Covers(image.comps[c], width, height)) return kPictureBadLayout;
  }

  Dib picture = NewDib(static_cast<int>(width), static_cast<int>(height),
                       static_cast<int>(8 * channels), topDown);
  Dib plane;
  if (transparency != nullptr) {
    plane = NewDib(static_cast<int>(width), static_cast<int>(height), 8, topDown);
  }
  for (std::uint32_t y = 0; y < height; ++y) {
    // Sample row y is the picture's row y from the top.
    std::uint8_t* row = picture.RowFromBottom(static_cast<int>(height - 1 - y));
    const std::size_t first = static_cast<std::size_t>(y) * width;
    for (std::uint32_t x = 0; x < width; ++x) {
      for (std::uint32_t k = 0; k < channels; ++k) {
        row[x * channels + k] =
            static_cast<std::uint8_t>(image.comps[channels - 1 - k].data[first + x]);
      }
    }
    if (withPlane) {
      std::uint8_t* alpha = plane.RowFromBottom(static_cast<int>(height - 1 - y));
      for (std::uint32_t x = 0; x < width; ++x) {
        alpha[x] = static_cast<std::uint8_t>(image.comps[channels].data[first + x]);
      }
    }
  }
  colour = std::move(picture);
  if (transparency != nullptr) *transparency = std::move(plane);
  return kPictureLoaded;
}

int LoadPictureFile(const QString& path, bool topDown, Dib& colour, Dib* transparency) {
  colour = Dib{};
  if (transparency != nullptr) *transparency = Dib{};
  QFile file(path);
  if (!file.exists()) return kPictureNotFound;
  if (!file.open(QIODevice::ReadOnly)) return kPictureNotLocked;
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) return kPictureEmpty;
  return DecodePicture(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 static_cast<std::size_t>(bytes.size())),
                       topDown, colour, transparency);
}

int LoadPicture(int resourceId, bool topDown, Dib& colour, Dib* transparency) {
  return LoadPictureFile(QStringLiteral(":/pictures/%1.j2k").arg(resourceId), topDown, colour,
                         transparency);
}

QImage ImageOf(const Dib& colour, const Dib* transparency) {
  if (colour.empty()) return {};
  const bool alpha = transparency != nullptr && !transparency->empty() &&
                     transparency->Width == colour.Width && transparency->Height == colour.Height;
  QImage image(colour.Width, colour.Height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  const int step = colour.BitsPerPixel / 8;
  for (int y = 0; y < colour.Height; ++y) {
    const std::uint8_t* in = colour.RowFromBottom(colour.Height - 1 - y);
    const std::uint8_t* a = alpha ? transparency->RowFromBottom(colour.Height - 1 - y) : nullptr;
    auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < colour.Width; ++x) {
      const std::uint8_t* p = in + x * step;
      const int blue = p[0];
      const int green = step == 3 ? p[1] : p[0];
      const int red = step == 3 ? p[2] : p[0];
      out[x] = qRgba(red, green, blue, a != nullptr ? a[x] : 255);
    }
  }
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    Dib colour;
    Dib alpha;
    if (LoadPictureFile(QStringLiteral(":/pictures/%1-%2.j2k").arg(kFrameIcon).arg(size), false,
                        colour, &alpha) == kPictureLoaded) {
      icon.addPixmap(QPixmap::fromImage(ImageOf(colour, &alpha)));
    }
  }
  return icon;
}

BlendTable::BlendTable() {
  double factor = 0.0;
  for (int a = 0; a < 256; ++a) {
    for (int d = -255; d <= 255; ++d) {
      rows_[a][d + 255] = static_cast<std::int16_t>(d * factor);
    }
    factor += 0.00392156862745098;
  }
}

const BlendTable& BlendTable::Get() {
  static const BlendTable* table = new BlendTable();
  return *table;
}

Dib ComposeOverColour(const Dib& colour, const Dib& transparency, QRgb face) {
  Dib out = NewDib(colour.Width, colour.Height, 24, colour.TopDown);
  if (colour.BitsPerPixel != 24 || transparency.Width != colour.Width ||
      transparency.Height != colour.Height) {
    return out;
  }
  const BlendTable& blend = BlendTable::Get();
  const int faceBytes[3] = {qBlue(face), qGreen(face), qRed(face)};
  for (int y = 0; y < colour.Height; ++y) {
    const std::uint8_t* p = colour.RowFromBottom(y);
    const std::uint8_t* a = transparency.RowFromBottom(y);
    std::uint8_t* o = out.RowFromBottom(y);
    for (int x = 0; x < colour.Width; ++x) {
      for (int k = 0; k < 3; ++k) {
        o[3 * x + k] = blend.Blend(a[x], p[3 * x + k], faceBytes[k]);
      }
    }
  }
  return out;
}

}  // namespace urlsmith::app
