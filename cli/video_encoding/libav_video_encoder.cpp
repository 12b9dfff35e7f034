// The encoding module: video files encoded with libavcodec and written with
// libavformat inside horaz, instead of by an ffmpeg process reading the
// YUV4MPEG2 stream from a pipe. It takes the arguments horaz would give
// ffmpeg and does what ffmpeg does with them, so that the file is the one
// ffmpeg would write; a job with any argument it does not know is left to
// the process. horaz loads it only to write a video file.
extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
}

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "cli/libav/libav_handles.h"
#include "cli/media/video_encoder.h"

namespace horaz::cli {
namespace {

// Thrown while opening for a job that is left to the ffmpeg process.
struct NotForUs {};

struct OutputCloser {
  void operator()(AVFormatContext* context) const {
    if (context && context->pb) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
struct DictionaryFreer {
  void operator()(AVDictionary* dictionary) const { av_dict_free(&dictionary); }
};
using Dictionary = std::unique_ptr<AVDictionary, DictionaryFreer>;

void set(Dictionary& dictionary, const char* key, const std::string& value) {
  AVDictionary* raw = dictionary.release();
  const int result = av_dict_set(&raw, key, value.c_str(), 0);
  dictionary.reset(raw);
  if (result < 0) throw std::bad_alloc();
}

// The ffmpeg arguments of a job, as far as this module knows them.
struct Settings {
  bool videoFromPipe = false;
  std::string soundUrl;  // "file:..." of the second input, or empty
  bool mapsVideo = false;
  bool mapsSound = false;
  std::map<int, std::string> soundCodecs;  // -c:a:N
  std::string videoCodec;
  Dictionary codecOptions;  // -crf
  std::string pixelFormat;
  AVColorSpace colourSpace = AVCOL_SPC_UNSPECIFIED;
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
  Dictionary muxerOptions;  // -movflags
  std::optional<int64_t> durationMicroseconds;
};

int nameOrRefuse(int value) {
  if (value < 0) throw NotForUs();
  return value;
}

// Reads the arguments encoderArguments() makes; anything else refuses the
// job (the user's own arguments among them).
Settings readArguments(const std::vector<std::string>& arguments) {
  Settings s;
  int inputs = 0;
  std::string nextInputFormat;
  using Handler = std::function<void(const std::string&)>;
  const std::map<std::string_view, Handler> handlers{
      {"-f", [&](const std::string& v) { nextInputFormat = v; }},
      {"-i",
       [&](const std::string& v) {
         if (inputs == 0 && v == "pipe:0" && nextInputFormat == "yuv4mpegpipe") {
           s.videoFromPipe = true;
         } else if (inputs == 1 && v.starts_with("file:") && nextInputFormat.empty()) {
           s.soundUrl = v;
         } else {
           throw NotForUs();
         }
         nextInputFormat.clear();
         ++inputs;
       }},
      {"-map",
       [&](const std::string& v) {
         if (v == "0:v:0" && !s.mapsVideo) {
           s.mapsVideo = true;
         } else if (v == "1:a" && !s.soundUrl.empty() && !s.mapsSound) {
           s.mapsSound = true;
         } else {
           throw NotForUs();
         }
       }},
      {"-c:v", [&](const std::string& v) { s.videoCodec = v; }},
      {"-crf", [&](const std::string& v) { set(s.codecOptions, "crf", v); }},
      {"-pix_fmt", [&](const std::string& v) { s.pixelFormat = v; }},
      {"-colorspace",
       [&](const std::string& v) { s.colourSpace = AVColorSpace(nameOrRefuse(av_color_space_from_name(v.c_str()))); }},
      {"-color_primaries",
       [&](const std::string& v) {
         s.primaries = AVColorPrimaries(nameOrRefuse(av_color_primaries_from_name(v.c_str())));
       }},
      {"-color_trc",
       [&](const std::string& v) {
         s.transfer = AVColorTransferCharacteristic(nameOrRefuse(av_color_transfer_from_name(v.c_str())));
       }},
      {"-color_range",
       [&](const std::string& v) { s.range = AVColorRange(nameOrRefuse(av_color_range_from_name(v.c_str()))); }},
      {"-movflags", [&](const std::string& v) { set(s.muxerOptions, "movflags", v); }},
      {"-t",
       [&](const std::string& v) {
         int64_t microseconds = 0;
         if (av_parse_time(&microseconds, v.c_str(), 1) < 0 || microseconds <= 0) throw NotForUs();
         s.durationMicroseconds = microseconds;
       }},
  };
  for (size_t i = 0; i + 1 < arguments.size(); i += 2) {
    const std::string& option = arguments[i];
    if (option.starts_with("-c:a:")) {
      s.soundCodecs[std::stoi(option.substr(5))] = arguments[i + 1];
      continue;
    }
    const auto handler = handlers.find(option);
    if (handler == handlers.end()) throw NotForUs();
    handler->second(arguments[i + 1]);
  }
  // A format named after the last input would be the output's.
  if (arguments.size() % 2 != 0 || !nextInputFormat.empty() || !s.videoFromPipe || !s.mapsVideo ||
      s.mapsSound != !s.soundUrl.empty())
    throw NotForUs();
  for (const auto& [index, codec] : s.soundCodecs)
    if (codec != "copy" || !s.mapsSound) throw NotForUs();
  return s;
}

// Where the YUV4MPEG2 reader puts the chroma samples of the stream's
// chroma tag: "420jpeg" (what horaz writes for 4:2:0) between the lumas.
AVChromaLocation chromaLocationOf(Chroma chroma) {
  return chroma == Chroma::k420 ? AVCHROMA_LOC_CENTER : AVCHROMA_LOC_UNSPECIFIED;
}

class LibavVideoEncoder final : public VideoEncoder {
 public:
  explicit LibavVideoEncoder(const EncodeJob& job) : path_(job.name) {
    // As the ffmpeg process with -loglevel error.
    av_log_set_level(AV_LOG_ERROR);
    Settings settings = readArguments(job.arguments);
    const Y4mHeader& stream = job.stream;
    const AVPixelFormat format = libav::pixelFormatOf(stream.chroma);
    // Fields, 4:4:4, a conversion of the samples or a codec other than x264
    // are the ffmpeg process's.
    if (stream.interlace != 'p' || stream.monochrome || stream.chroma == Chroma::k444 ||
        settings.pixelFormat != av_get_pix_fmt_name(format) || settings.videoCodec != "libx264")
      throw NotForUs();
    const AVCodec* encoder = avcodec_find_encoder_by_name(settings.videoCodec.c_str());
    if (!encoder) throw NotForUs();

    AVFormatContext* made = nullptr;
    if (avformat_alloc_output_context2(&made, nullptr, nullptr, job.path.c_str()) < 0) throw NotForUs();
    output_.reset(made);
    const std::string_view container = output_->oformat->name;
    if (container != "mp4" && container != "mov" && container != "matroska") throw NotForUs();

    openVideo(stream, format, settings, *encoder);
    openSound(settings);
    if (avio_open(&output_->pb, job.path.c_str(), AVIO_FLAG_WRITE) < 0) throw NotForUs();
    AVDictionary* muxerOptions = settings.muxerOptions.release();
    const int written = avformat_write_header(output_.get(), &muxerOptions);
    av_dict_free(&muxerOptions);
    if (written < 0) throw NotForUs();
    durationMicroseconds_ = settings.durationMicroseconds;

    frame_ = libav::makeFrame();
    frame_->format = format;
    frame_->width = stream.width;
    frame_->height = stream.height;
    frame_->sample_aspect_ratio = codec_->sample_aspect_ratio;
    if (av_frame_get_buffer(frame_.get(), 0) < 0) throw std::bad_alloc();
  }

  void write(std::span<const uint8_t> planes) override {
    const auto format = static_cast<AVPixelFormat>(frame_->format);
    std::array<uint8_t*, 4> source{};
    std::array<int, 4> sourceRows{};
    const int size =
        av_image_fill_arrays(source.data(), sourceRows.data(), planes.data(), format, frame_->width, frame_->height, 1);
    if (size < 0 || static_cast<size_t>(size) != planes.size())
      throw std::runtime_error(path_ + ": a frame of the wrong size reached the encoder");
    if (av_frame_make_writable(frame_.get()) < 0) throw std::bad_alloc();
    std::array<const uint8_t*, 4> from{source[0], source[1], source[2], source[3]};
    av_image_copy(frame_->data, frame_->linesize, from.data(), sourceRows.data(), format, frame_->width,
                  frame_->height);
    frame_->pts = framesSent_++;
    send(frame_.get());
  }

  void finish() override {
    send(nullptr);
    copySound(INT64_MAX);
    check(av_write_trailer(output_.get()), "cannot finish it");
    check(avio_closep(&output_->pb), "cannot close it");
  }

 private:
  void check(int result, const char* what) const {
    if (result < 0) throw std::runtime_error(path_ + ": " + what + " (" + libav::errorText(result) + ")");
  }

  // The sound streams of the second input, copied as ffmpeg copies them:
  // parameters, time base, disposition and tags taken over, and every
  // packet's time moved by the input's start, as ffmpeg starts each input
  // at 0.
  void openSound(const Settings& settings) {
    if (settings.soundUrl.empty()) return;
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, settings.soundUrl.c_str(), nullptr, nullptr) < 0) throw NotForUs();
    sound_.reset(opened);
    if (avformat_find_stream_info(sound_.get(), nullptr) < 0 || sound_->nb_chapters > 0) throw NotForUs();
    soundStreams_.assign(sound_->nb_streams, CopiedStream{});
    int index = 0;
    for (unsigned i = 0; i < sound_->nb_streams; ++i) {
      const AVStream* in = sound_->streams[i];
      if (in->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
      if (!settings.soundCodecs.contains(index++)) throw NotForUs();
      AVStream* out = avformat_new_stream(output_.get(), nullptr);
      if (!out || avcodec_parameters_copy(out->codecpar, in->codecpar) < 0) throw std::bad_alloc();
      out->codecpar->codec_tag = keptTag(*in->codecpar);
      if (out->codecpar->codec_id == AV_CODEC_ID_AC3 ||
          (out->codecpar->codec_id == AV_CODEC_ID_MP3 &&
           (out->codecpar->block_align == 1 || out->codecpar->block_align == 1152 ||
            out->codecpar->block_align == 576)))
        out->codecpar->block_align = 0;
      out->time_base = in->time_base;
      out->disposition = in->disposition;
      if (av_dict_copy(&out->metadata, in->metadata, AV_DICT_DONT_OVERWRITE) < 0) throw std::bad_alloc();
      soundStreams_[i].out = out;
    }
    if (index != static_cast<int>(settings.soundCodecs.size())) throw NotForUs();
    soundOffset_ = sound_->start_time == AV_NOPTS_VALUE ? 0 : -sound_->start_time;
    soundPacket_ = libav::makePacket();
  }

  // The source's tag where the container takes it for the same codec, else
  // none (the container picks its own).
  unsigned keptTag(const AVCodecParameters& source) const {
    const AVCodecTag* const* tags = output_->oformat->codec_tag;
    unsigned tag = 0;
    if (!tags || av_codec_get_id(tags, source.codec_tag) == source.codec_id ||
        !av_codec_get_tag2(tags, source.codec_id, &tag))
      return source.codec_tag;
    return 0;
  }

  void openVideo(const Y4mHeader& stream, AVPixelFormat format, Settings& settings, const AVCodec& encoder) {
    video_ = avformat_new_stream(output_.get(), nullptr);
    codec_.reset(avcodec_alloc_context3(&encoder));
    if (!video_ || !codec_) throw std::bad_alloc();
    AVRational rate{static_cast<int>(stream.frameRate.numerator), static_cast<int>(stream.frameRate.denominator)};
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, INT32_MAX);
    if (rate.num <= 0 || rate.den <= 0) throw NotForUs();
    codec_->width = stream.width;
    codec_->height = stream.height;
    codec_->pix_fmt = format;
    codec_->framerate = rate;
    codec_->time_base = av_inv_q(rate);
    const Ratio aspect = stream.pixelAspect;
    codec_->sample_aspect_ratio =
        aspect.numerator > 0 && aspect.denominator > 0
            ? AVRational{static_cast<int>(aspect.numerator), static_cast<int>(aspect.denominator)}
            : AVRational{0, 1};
    codec_->field_order = AV_FIELD_PROGRESSIVE;
    codec_->chroma_sample_location = chromaLocationOf(stream.chroma);
    codec_->color_range = settings.range != AVCOL_RANGE_UNSPECIFIED ? settings.range
                          : stream.fullRange.value_or(false)        ? AVCOL_RANGE_JPEG
                                                                    : AVCOL_RANGE_MPEG;
    codec_->colorspace = settings.colourSpace;
    codec_->color_primaries = settings.primaries;
    codec_->color_trc = settings.transfer;
    if (output_->oformat->flags & AVFMT_GLOBALHEADER) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    set(settings.codecOptions, "threads", "auto");
    AVDictionary* options = settings.codecOptions.release();
    const int opened = avcodec_open2(codec_.get(), &encoder, &options);
    av_dict_free(&options);
    if (opened < 0) throw NotForUs();
    if (avcodec_parameters_from_context(video_->codecpar, codec_.get()) < 0) throw std::bad_alloc();
    video_->time_base = codec_->time_base;
    video_->avg_frame_rate = rate;
    video_->sample_aspect_ratio = codec_->sample_aspect_ratio;
    const std::string encoderTag = std::string(LIBAVCODEC_IDENT) + " " + encoder.name;
    if (av_dict_set(&video_->metadata, "encoder", encoderTag.c_str(), 0) < 0) throw std::bad_alloc();
    packet_ = libav::makePacket();
  }

  // Hands a frame (null: the end) to the encoder and writes what comes out,
  // the sound up to each packet's time before it.
  void send(const AVFrame* frame) {
    check(avcodec_send_frame(codec_.get(), frame), "cannot encode it");
    while (true) {
      const int received = avcodec_receive_packet(codec_.get(), packet_.get());
      if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return;
      check(received, "cannot encode it");
      copySound(av_rescale_q(packet_->dts, codec_->time_base, AV_TIME_BASE_Q));
      av_packet_rescale_ts(packet_.get(), codec_->time_base, video_->time_base);
      packet_->stream_index = video_->index;
      check(av_interleaved_write_frame(output_.get(), packet_.get()), "cannot write it");
    }
  }

  // Copies the sound packets due up to `untilMicroseconds`, as ffmpeg copies
  // them: leading packets that are not key frames left out, a stream's
  // packets stopped past -t, and the times carried over in samples, so that
  // a time base coarser than the samples (milliseconds) does not make them
  // jitter.
  void copySound(int64_t untilMicroseconds) {
    while (sound_ && !soundDone_) {
      if (!soundHeld_) {
        const int read = av_read_frame(sound_.get(), soundPacket_.get());
        if (read == AVERROR_EOF) {
          soundDone_ = true;
          return;
        }
        check(read, "cannot read the sound");
        if (!soundStreams_[static_cast<size_t>(soundPacket_->stream_index)].out) {
          av_packet_unref(soundPacket_.get());
          continue;
        }
        soundHeld_ = true;
      }
      AVPacket& packet = *soundPacket_;
      const AVStream& in = *sound_->streams[packet.stream_index];
      CopiedStream& copied = soundStreams_[static_cast<size_t>(packet.stream_index)];
      const int64_t offset = av_rescale_q(soundOffset_, AV_TIME_BASE_Q, in.time_base);
      const int64_t due = packet.dts == AV_NOPTS_VALUE
                              ? copied.nextMicroseconds
                              : av_rescale_q(packet.dts + offset, in.time_base, AV_TIME_BASE_Q);
      if (due > untilMicroseconds) return;  // kept until then
      soundHeld_ = false;
      copied.nextMicroseconds = due + nextStep(in, packet);
      const bool pastEnd = durationMicroseconds_ && due >= *durationMicroseconds_;
      if (pastEnd || (!copied.started && !(packet.flags & AV_PKT_FLAG_KEY))) {
        av_packet_unref(&packet);
        continue;
      }
      copied.started = true;
      AVStream& out = *copied.out;
      int duration = av_get_audio_frame_duration2(in.codecpar, packet.size);
      if (duration == 0) duration = in.codecpar->frame_size;
      packet.dts = packet.dts == AV_NOPTS_VALUE
                       ? av_rescale_q(due, AV_TIME_BASE_Q, out.time_base)
                       : av_rescale_delta(in.time_base, packet.dts + offset, AVRational{1, in.codecpar->sample_rate},
                                          duration, &copied.lastSample, out.time_base);
      packet.pts = packet.dts;
      packet.duration = av_rescale_q(packet.duration, in.time_base, out.time_base);
      packet.stream_index = out.index;
      packet.pos = -1;
      check(av_interleaved_write_frame(output_.get(), &packet), "cannot write it");
    }
  }

  // How far the next packet of `in` lies behind this one, as ffmpeg
  // predicts it for a packet without a time.
  static int64_t nextStep(const AVStream& in, const AVPacket& packet) {
    const AVCodecParameters& p = *in.codecpar;
    return p.sample_rate > 0 ? int64_t{AV_TIME_BASE} * p.frame_size / p.sample_rate
                             : av_rescale_q(packet.duration, in.time_base, AV_TIME_BASE_Q);
  }

  std::string path_;
  std::unique_ptr<AVFormatContext, OutputCloser> output_;
  libav::Codec codec_;
  AVStream* video_ = nullptr;
  libav::Frame frame_;
  libav::Packet packet_;
  int64_t framesSent_ = 0;
  std::optional<int64_t> durationMicroseconds_;

  libav::Input sound_;
  struct CopiedStream {
    AVStream* out = nullptr;  // null: not copied
    bool started = false;     // has had a packet
    int64_t lastSample = AV_NOPTS_VALUE;
    int64_t nextMicroseconds = 0;
  };
  std::vector<CopiedStream> soundStreams_;  // by input stream
  libav::Packet soundPacket_;
  bool soundHeld_ = false;  // soundPacket_ waits for its time
  bool soundDone_ = false;
  int64_t soundOffset_ = 0;
};

}  // namespace
}  // namespace horaz::cli

extern "C" __attribute__((visibility("default"))) horaz::cli::VideoEncoder* horazOpenVideoEncoder(
    const horaz::cli::EncodeJob& job) {
  try {
    return new horaz::cli::LibavVideoEncoder(job);
  } catch (...) {
    return nullptr;
  }
}
