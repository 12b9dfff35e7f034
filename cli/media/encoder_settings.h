#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/media/y4m.h"
#include "cli/pixels/colour_matrix.h"

namespace horaz::cli {

// What ffmpeg is told when it encodes the render into .mp4, .mkv or .mov.
struct EncodeRequest {
  std::string output;  // the file name (its extension chooses the container)
  int32_t width = 0;
  int32_t height = 0;
  Ratio frameRate{25, 1};
  char interlace = 'p';    // Y4M's p, t (upper field first), b
  bool yccLayout = false;  // the host's frames are YCbCr 4:2:2
  bool fullRange = false;  // the Y4M stream's samples are full range
  // The input file whose sound is kept, and its sound streams' codecs.
  std::string soundFile;
  std::vector<std::string> audioCodecs;
  bool soundless = false;                  // --no-audio
  std::optional<double> duration;          // seconds, when --frames cuts the clip
  std::vector<std::string> userArguments;  // --encoder-args, after ours so they win
};

// The matrix of the samples the encoder gets: BT.709 above 576 lines, else
// BT.601.
Matrix encoderMatrix(const EncodeRequest& request);

// Whether the encoder is sent 4:2:0 frames: when it encodes them 4:2:0 and
// progressive at our choice, so the chroma is halved once, as the frames are
// written, and the stream is a quarter smaller. The user's own format or
// filters get the frames' own chroma.
bool encoderTakes420(const EncodeRequest& request);

// The pixel format the encoder gets by default: 4:2:2 in .mkv and .mov when
// the frames are YCbCr (nothing is lost), else 4:2:0 (what players take).
std::string defaultEncoderPixelFormat(const EncodeRequest& request);

// ffmpeg's arguments after its program name and before the output file:
// the Y4M stream on standard input, the sound file, the streams, x264 at
// CRF 18, the field order, the colour tags (BT.601 up to 576 lines, BT.709
// above, limited range) and the user's own. `notes` gets what the user
// should know (sound re-encoded, dropped or absent). Throws UsageError for
// a size the default encoder cannot take.
std::vector<std::string> encoderArguments(const EncodeRequest& request, std::vector<std::string>& notes);

// Splits --encoder-args as a shell would split words: blanks separate,
// quotes ('...' or "...") keep blanks, a backslash escapes the next
// character. Throws UsageError for an unclosed quote.
std::vector<std::string> splitArguments(const std::string& text);

}  // namespace horaz::cli
