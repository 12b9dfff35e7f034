// Owners of libavformat's and libavcodec's objects, their error texts and
// the planar layouts horaz's pictures share with them, for the modules that
// decode and encode video in horaz's own process.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <array>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "cli/pixels/picture.h"

namespace horaz::cli::libav {

struct InputCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

using Input = std::unique_ptr<AVFormatContext, InputCloser>;
using Codec = std::unique_ptr<AVCodecContext, CodecFreer>;
using Frame = std::unique_ptr<AVFrame, FrameFreer>;
using Packet = std::unique_ptr<AVPacket, PacketFreer>;

inline Frame makeFrame() {
  Frame frame(av_frame_alloc());
  if (!frame) throw std::bad_alloc();
  return frame;
}

inline Packet makePacket() {
  Packet packet(av_packet_alloc());
  if (!packet) throw std::bad_alloc();
  return packet;
}

inline std::string errorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// The 8-bit planar layouts that are pictures of ours as they are.
inline constexpr std::array<std::pair<Chroma, AVPixelFormat>, 3> kPlanarFormats{{
    {Chroma::k420, AV_PIX_FMT_YUV420P},
    {Chroma::k422, AV_PIX_FMT_YUV422P},
    {Chroma::k444, AV_PIX_FMT_YUV444P},
}};

inline std::optional<Chroma> chromaOf(int format) {
  for (const auto& [chroma, planar] : kPlanarFormats)
    if (planar == format) return chroma;
  return std::nullopt;
}

inline AVPixelFormat pixelFormatOf(Chroma chroma) {
  for (const auto& [known, planar] : kPlanarFormats)
    if (known == chroma) return planar;
  return AV_PIX_FMT_NONE;
}

}  // namespace horaz::cli::libav
