// The decoding module: video files decoded with libavformat and libavcodec
// inside horaz, instead of by an ffmpeg process writing YUV4MPEG2 into a
// pipe (and ffprobe beside it). horaz loads it only to read a video file,
// so that its other commands do not pay for loading the codec libraries.
//
// It takes the files whose pictures need no conversion: 8-bit planar 4:2:0,
// 4:2:2 or 4:4:4. Their frames come out as the ffmpeg process would write
// them: the same samples, the same header values, and one frame per frame
// time of a constant rate.
extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <utility>
#include <stdexcept>

#include "cli/libav/libav_handles.h"
#include "cli/media/video_decoder.h"

namespace horaz::cli {
namespace {

Ratio ratioOf(AVRational rational) {
  const int divisor = std::gcd(rational.num, rational.den);
  return divisor > 0 ? Ratio{rational.num / divisor, rational.den / divisor} : Ratio{0, 0};
}

// A decoded frame handed out by reference: libavcodec's buffers are
// counted, so the decoder goes on into others while this one is converted.
class LibavPicture final : public DecodedPicture {
 public:
  LibavPicture(const AVFrame& frame, const Y4mHeader& header)
      : frame_(av_frame_clone(&frame)), view_{header.width, header.height, header.chroma} {
    if (!frame_) throw std::bad_alloc();
    if (frame_->linesize[1] != frame_->linesize[2])
      throw std::runtime_error("the decoder gave chroma planes of different row lengths");
    view_.y = frame_->data[0];
    view_.cb = frame_->data[1];
    view_.cr = frame_->data[2];
    view_.lumaStride = static_cast<size_t>(frame_->linesize[0]);
    view_.chromaStride = static_cast<size_t>(frame_->linesize[1]);
  }
  YuvView planes() const override { return view_; }

 private:
  libav::Frame frame_;
  YuvView view_;
};

// Thrown while opening for a file that is left to the ffmpeg process.
struct NotForUs {};

class LibavVideoDecoder final : public VideoDecoder {
 public:
  explicit LibavVideoDecoder(const std::string& path) : path_(path) {
    // A file left to ffmpeg gets its messages from ffmpeg; once it is ours,
    // its errors are told as ffmpeg tells them (-loglevel error).
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* opened = nullptr;
    if (avformat_open_input(&opened, ("file:" + path).c_str(), nullptr, nullptr) < 0) throw NotForUs();
    input_.reset(opened);
    if (avformat_find_stream_info(input_.get(), nullptr) < 0) throw NotForUs();

    // The first video stream, as "-map 0:v:0" picks it; the sound streams'
    // codecs decide what the encoder does with them.
    for (unsigned i = 0; i < input_->nb_streams; ++i) {
      const AVCodecParameters* parameters = input_->streams[i]->codecpar;
      if (parameters->codec_type == AVMEDIA_TYPE_AUDIO)
        video_.audioCodecs.push_back(avcodec_get_name(parameters->codec_id));
      if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && !stream_) stream_ = input_->streams[i];
    }
    if (!stream_ || (stream_->disposition & AV_DISPOSITION_ATTACHED_PIC) || !libav::chromaOf(stream_->codecpar->format))
      throw NotForUs();

    const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
    if (!codec) throw NotForUs();
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_ || avcodec_parameters_to_context(codec_.get(), stream_->codecpar) < 0) throw NotForUs();
    codec_->pkt_timebase = stream_->time_base;
    codec_->thread_count = 0;  // as many as the machine has, as ffmpeg does
    if (avcodec_open2(codec_.get(), codec, nullptr) < 0) throw NotForUs();
    packet_ = libav::makePacket();

    const AVRational rate = av_guess_frame_rate(input_.get(), stream_, nullptr);
    if (rate.num <= 0 || rate.den <= 0) throw NotForUs();
    frameRate_ = av_q2d(rate);
    video_.header.frameRate = ratioOf(rate);

    // The first frame tells the size, range and field order of them all.
    if (!decode(*decoded_)) throw NotForUs();
    const std::optional<Chroma> chroma = libav::chromaOf(decoded_->format);
    if (!chroma) throw NotForUs();
    video_.header.width = decoded_->width;
    video_.header.height = decoded_->height;
    video_.header.chroma = *chroma;
    format_ = decoded_->format;
    video_.header.fullRange = decoded_->color_range == AVCOL_RANGE_JPEG;
    video_.header.interlace = !decoded_->interlaced_frame ? 'p' : decoded_->top_field_first ? 't' : 'b';
    const AVRational aspect = av_guess_sample_aspect_ratio(input_.get(), stream_, decoded_.get());
    if (aspect.num > 0 && aspect.den > 0) video_.header.pixelAspect = ratioOf(aspect);
    if (const char* name = av_color_space_name(stream_->codecpar->color_space)) video_.colourSpace = name;
    if (stream_->nb_frames > 0) video_.frameCount = stream_->nb_frames;
    singleStream_ = input_->nb_streams == 1;
    const int64_t start = input_->start_time;
    startSeconds_ = start == AV_NOPTS_VALUE ? 0.0 : static_cast<double>(start) / AV_TIME_BASE;
    av_log_set_level(AV_LOG_ERROR);
    haveDecoded_ = true;
  }

  const DecodedVideo& video() const override { return video_; }

  std::unique_ptr<DecodedPicture> next() override {
    while (true) {
      if (copiesLeft_ > 0) {
        --copiesLeft_;
        ++written_;
        ++nextSlot_;
        return std::make_unique<LibavPicture>(*shown_, video_.header);
      }
      if (decodedCopies_ > 0) {
        std::swap(shown_, decoded_);
        copiesLeft_ = std::exchange(decodedCopies_, 0);
        continue;
      }
      if (!haveDecoded_ && !decode(*decoded_)) return nullptr;
      haveDecoded_ = false;
      schedule();
    }
  }

 private:
  // How often the frame just decoded is written, at a constant rate: as
  // ffmpeg does, a frame more than 1.1 frames late is dropped, and one that
  // leaves a gap of more than 1.1 frames fills it, the previous frame
  // repeated over the gap before it.
  void schedule() {
    if (decoded_->width != video_.header.width || decoded_->height != video_.header.height ||
        decoded_->format != format_)
      throw std::runtime_error(
          path_ + ": the picture changes size or layout at frame " + std::to_string(written_) +
          "; HORAZ_VIDEO_DECODER= (set empty) has ffmpeg read it, every picture scaled to the first one's size");
    const int64_t timestamp = decoded_->best_effort_timestamp;
    const double due = timestamp == AV_NOPTS_VALUE
                           ? static_cast<double>(nextSlot_)
                           : (static_cast<double>(timestamp) * av_q2d(stream_->time_base) - startSeconds_) * frameRate_;
    double early = due - static_cast<double>(nextSlot_);  // frames before its time
    // A file of one stream starts at its first frame, however late that
    // comes: ffmpeg repeats nothing before it.
    if (singleStream_ && written_ == 0 && early >= 0.5) {
      nextSlot_ = std::llrint(due);
      early = 0;
    }
    const double lasting = early + 1.0;  // frames until the next is due
    if (lasting < -1.1) return;          // too late: dropped
    int64_t copies = 1, repeats = 0;
    if (lasting > 1.1) {
      copies = static_cast<int64_t>(std::llrint(lasting));
      if (early > 1.1 && shown_) repeats = std::min(copies - 1, static_cast<int64_t>(std::llrint(early - 0.6)));
    }
    if (!shown_) shown_ = libav::makeFrame();
    copiesLeft_ = repeats;
    decodedCopies_ = copies - repeats;
  }

  // The next decoded frame of the stream; false at its end. Damaged data is
  // skipped, as ffmpeg skips it; a file that cannot be read on is an error.
  bool decode(AVFrame& frame) {
    while (true) {
      const int received = avcodec_receive_frame(codec_.get(), &frame);
      if (received == 0) return true;
      if (received == AVERROR_EOF) return false;
      if (received != AVERROR(EAGAIN) && received != AVERROR_INVALIDDATA)
        throw std::runtime_error(path_ + ": cannot decode it (" + libav::errorText(received) + ")");
      if (received == AVERROR_INVALIDDATA) continue;
      const int read = av_read_frame(input_.get(), packet_.get());
      if (read == AVERROR_EOF) {
        avcodec_send_packet(codec_.get(), nullptr);  // drains the frames held back
        continue;
      }
      if (read < 0) throw std::runtime_error(path_ + ": cannot read on (" + libav::errorText(read) + ")");
      if (packet_->stream_index == stream_->index) {
        const int sent = avcodec_send_packet(codec_.get(), packet_.get());
        if (sent < 0 && sent != AVERROR_INVALIDDATA) {
          av_packet_unref(packet_.get());
          throw std::runtime_error(path_ + ": cannot decode it (" + libav::errorText(sent) + ")");
        }
      }
      av_packet_unref(packet_.get());
    }
  }

  std::string path_;
  libav::Input input_;
  libav::Codec codec_;
  libav::Packet packet_;
  AVStream* stream_ = nullptr;
  DecodedVideo video_;
  double frameRate_ = 0;
  double startSeconds_ = 0;
  libav::Frame decoded_ = libav::makeFrame();
  libav::Frame shown_;
  int format_ = AV_PIX_FMT_NONE;
  bool haveDecoded_ = false;  // decoded_ holds a frame not yet scheduled
  bool singleStream_ = false;
  int64_t written_ = 0;
  int64_t nextSlot_ = 0;       // the frame time the next frame written fills
  int64_t copiesLeft_ = 0;     // of shown_
  int64_t decodedCopies_ = 0;  // of decoded_, once shown_'s are written
};

}  // namespace
}  // namespace horaz::cli

extern "C" __attribute__((visibility("default"))) horaz::cli::VideoDecoder* horazOpenVideoDecoder(const char* path) {
  try {
    return new horaz::cli::LibavVideoDecoder(path);
  } catch (...) {
    return nullptr;
  }
}
