#include "cli/media/encoder_settings.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

#include "cli/support/usage_error.h"

namespace horaz::cli {
namespace {

std::string extensionOf(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Sound codecs each container holds as they are; others are re-encoded to
// AAC. Matroska holds them all.
bool containerHolds(const std::string& extension, const std::string& codec) {
  static constexpr std::array<std::string_view, 7> kMp4{"aac", "mp3", "ac3", "eac3", "alac", "flac", "opus"};
  static constexpr std::array<std::string_view, 6> kMov{"aac", "mp3", "ac3", "alac", "pcm_s16le", "pcm_s24le"};
  if (extension == ".mkv") return true;
  const auto holds = [&](const auto& codecs) { return std::find(codecs.begin(), codecs.end(), codec) != codecs.end(); };
  return extension == ".mp4" ? holds(kMp4) : holds(kMov) || codec.starts_with("pcm_");
}

bool userSets(const EncodeRequest& request, std::initializer_list<std::string_view> options) {
  for (const std::string& argument : request.userArguments)
    for (std::string_view option : options)
      if (argument == option) return true;
  return false;
}

// Colour tags: BT.601 up to 576 lines (the 625-line primaries at 576, the
// 525-line ones below), BT.709 above; the samples are written in the matrix
// the tags name (encoderMatrix), so players show the colours the clock was
// given.
void appendColourTags(const EncodeRequest& request, std::vector<std::string>& arguments) {
  if (encoderMatrix(request) == Matrix::kBt709) {
    arguments.insert(arguments.end(), {"-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709"});
  } else {
    const std::string system = request.height == 576 ? "bt470bg" : "smpte170m";
    arguments.insert(arguments.end(), {"-colorspace", system, "-color_primaries", system, "-color_trc", "smpte170m"});
  }
  arguments.insert(arguments.end(), {"-color_range", request.fullRange ? "pc" : "tv"});
}

}  // namespace

Matrix encoderMatrix(const EncodeRequest& request) { return request.height > 576 ? Matrix::kBt709 : Matrix::kBt601; }

bool encoderTakes420(const EncodeRequest& request) {
  return request.interlace == 'p' && defaultEncoderPixelFormat(request) == "yuv420p" &&
         !userSets(request, {"-vf", "-filter:v", "-pix_fmt"});
}

std::string defaultEncoderPixelFormat(const EncodeRequest& request) {
  const std::string extension = extensionOf(request.output);
  return request.yccLayout && (extension == ".mkv" || extension == ".mov") ? "yuv422p" : "yuv420p";
}

std::vector<std::string> encoderArguments(const EncodeRequest& request, std::vector<std::string>& notes) {
  const std::string extension = extensionOf(request.output);
  const std::string pixelFormat = defaultEncoderPixelFormat(request);
  // x264 takes 4:2:0 only in even sizes (and, coded interlaced, heights
  // divisible by 4: each field is 4:2:0 on its own), 4:2:2 only in even
  // widths; a user who picks a filter, size, format or codec decides that.
  if (!userSets(request, {"-vf", "-filter:v", "-s", "-pix_fmt", "-c:v", "-vcodec", "-codec:v"})) {
    const bool is420 = pixelFormat == "yuv420p";
    const bool interlaced = request.interlace == 't' || request.interlace == 'b';
    const int32_t heightStep = is420 ? (interlaced ? 4 : 2) : 1;
    const bool oddWidth = request.width % 2 != 0;
    const bool oddHeight = request.height % heightStep != 0;
    if (oddWidth || oddHeight)
      throw UsageError("-o " + request.output + ": H.264 in " + (is420 ? "4:2:0" : "4:2:2") +
                       (interlaced ? " coded interlaced" : "") + " needs " + (oddWidth ? "an even width" : "") +
                       (oddWidth && oddHeight ? " and " : "") +
                       (oddHeight ? "a height divisible by " + std::to_string(heightStep) : "") +
                       ", and the frames are " + std::to_string(request.width) + "x" + std::to_string(request.height) +
                       "; pad them with --encoder-args \"-vf pad=ceil(iw/2)*2:ceil(ih/" +
                       std::to_string(std::max(heightStep, 2)) + ")*" + std::to_string(std::max(heightStep, 2)) +
                       "\", or write .y4m");
  }

  std::vector<std::string> arguments{"-f", "yuv4mpegpipe", "-i", "pipe:0"};
  const bool keepSound = !request.soundless && !request.audioCodecs.empty();
  if (keepSound) arguments.insert(arguments.end(), {"-i", "file:" + request.soundFile});
  arguments.insert(arguments.end(), {"-map", "0:v:0"});
  if (keepSound) {
    arguments.insert(arguments.end(), {"-map", "1:a"});
    for (size_t i = 0; i < request.audioCodecs.size(); ++i) {
      const std::string stream = "-c:a:" + std::to_string(i);
      if (containerHolds(extension, request.audioCodecs[i])) {
        arguments.insert(arguments.end(), {stream, "copy"});
      } else {
        arguments.insert(arguments.end(), {stream, "aac", "-b:a:" + std::to_string(i), "192k"});
        notes.push_back(extension + " cannot hold " + request.audioCodecs[i] + " sound; it is encoded as AAC");
      }
    }
  } else if (request.soundless && !request.audioCodecs.empty()) {
    notes.push_back("--no-audio: the input's sound is left out");
  }
  arguments.insert(arguments.end(), {"-c:v", "libx264", "-crf", "18", "-pix_fmt", pixelFormat});
  if (request.interlace == 't' || request.interlace == 'b') {
    // Interlaced coding, so that the fields survive; the field order travels
    // with every frame of the Y4M stream and is written to the container.
    const bool upperFirst = request.interlace == 't';
    arguments.insert(arguments.end(), {"-flags", "+ilme+ildct", "-x264-params", upperFirst ? "tff=1" : "bff=1",
                                       "-field_order", upperFirst ? "tt" : "bb"});
  }
  appendColourTags(request, arguments);
  if (extension == ".mp4" || extension == ".mov") arguments.insert(arguments.end(), {"-movflags", "+faststart"});
  if (request.duration) arguments.insert(arguments.end(), {"-t", std::to_string(*request.duration)});
  arguments.insert(arguments.end(), request.userArguments.begin(), request.userArguments.end());
  return arguments;
}

std::vector<std::string> splitArguments(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else if (c == '\\' && quote == '"' && i + 1 < text.size())
        word += text[++i];
      else
        word += c;
    } else if (c == '\'' || c == '"') {
      quote = c;
      inWord = true;
    } else if (c == '\\' && i + 1 < text.size()) {
      word += text[++i];
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quote) throw UsageError(std::string("--encoder-args: a ") + quote + " quote is not closed");
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace horaz::cli
