#include "app/tools/j2k_writer.h"

#include <openjpeg.h>

#include <algorithm>
#include <cstring>

namespace urlsmith::app {

namespace {

struct VectorStream {
  std::vector<std::uint8_t>* bytes;
  std::size_t pos = 0;
};

OPJ_SIZE_T WriteStream(void* buffer, OPJ_SIZE_T n, void* user) {
  auto* s = static_cast<VectorStream*>(user);
  if (s->bytes->size() < s->pos + n) s->bytes->resize(s->pos + n);
  std::memcpy(s->bytes->data() + s->pos, buffer, n);
  s->pos += n;
  return n;
}

OPJ_OFF_T SkipStream(OPJ_OFF_T n, void* user) {
  auto* s = static_cast<VectorStream*>(user);
  if (n < 0 && static_cast<std::size_t>(-n) > s->pos) return -1;
  s->pos = static_cast<std::size_t>(static_cast<OPJ_OFF_T>(s->pos) + n);
  if (s->bytes->size() < s->pos) s->bytes->resize(s->pos);
  return n;
}

OPJ_BOOL SeekStream(OPJ_OFF_T to, void* user) {
  auto* s = static_cast<VectorStream*>(user);
  if (to < 0) return OPJ_FALSE;
  s->pos = static_cast<std::size_t>(to);
  if (s->bytes->size() < s->pos) s->bytes->resize(s->pos);
  return OPJ_TRUE;
}

void Quiet(const char*, void*) {}

}  // namespace

std::vector<std::uint8_t> EncodeCodestream(const PicturePlanes& picture, float ratio) {
  const int count = static_cast<int>(picture.Components.size());
  if (count == 0 || picture.Width <= 0 || picture.Height <= 0) return {};
  std::vector<opj_image_cmptparm_t> parameters(static_cast<std::size_t>(count));
  for (auto& c : parameters) {
    std::memset(&c, 0, sizeof c);
    c.dx = c.dy = 1;
    c.w = static_cast<OPJ_UINT32>(picture.Width);
    c.h = static_cast<OPJ_UINT32>(picture.Height);
    c.prec = static_cast<OPJ_UINT32>(picture.Precision);
  }
  opj_image_t* image = opj_image_create(static_cast<OPJ_UINT32>(count), parameters.data(),
                                        count >= 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY);
  if (image == nullptr) return {};
  image->x1 = static_cast<OPJ_UINT32>(picture.Width);
  image->y1 = static_cast<OPJ_UINT32>(picture.Height);
  const std::size_t samples = static_cast<std::size_t>(picture.Width) * picture.Height;
  for (int i = 0; i < count; ++i) {
    const auto& plane = picture.Components[static_cast<std::size_t>(i)];
    std::copy_n(plane.begin(), std::min(samples, plane.size()), image->comps[i].data);
  }
  if (count == 4) image->comps[3].alpha = 1;

  opj_cparameters_t p;
  opj_set_default_encoder_parameters(&p);
  p.tcp_numlayers = 1;
  p.cp_disto_alloc = 1;
  p.tcp_rates[0] = ratio > 0 ? ratio : 0;
  p.irreversible = ratio > 0 ? 1 : 0;
  p.tcp_mct = count >= 3 ? 1 : 0;
  // Every resolution level needs at least one sample across and down.
  const int shortest = std::min(picture.Width, picture.Height);
  while (p.numresolution > 1 && (1 << (p.numresolution - 1)) > shortest)
    --p.numresolution;

  std::vector<std::uint8_t> bytes;
  VectorStream sink{&bytes};
  opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
  opj_set_info_handler(codec, Quiet, nullptr);
  opj_set_warning_handler(codec, Quiet, nullptr);
  opj_set_error_handler(codec, Quiet, nullptr);
  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
  opj_stream_set_user_data(stream, &sink, nullptr);
  opj_stream_set_write_function(stream, WriteStream);
  opj_stream_set_skip_function(stream, SkipStream);
  opj_stream_set_seek_function(stream, SeekStream);
  const bool ok = opj_setup_encoder(codec, &p, image) && opj_start_compress(codec, image, stream) &&
                  opj_encode(codec, stream) && opj_end_compress(codec, stream);
  opj_stream_destroy(stream);
  opj_destroy_codec(codec);
  opj_image_destroy(image);
  if (!ok) bytes.clear();
  return bytes;
}

}  // namespace urlsmith::app
