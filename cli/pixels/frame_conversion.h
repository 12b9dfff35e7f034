#pragma once

#include <cstdint>
#include <vector>

#include "cli/pixels/picture.h"
#include "testhost/frame.h"

namespace horaz::cli {

// Conversions between the pictures of files and the reference host's frames.
//
// The host's YCbCr frames hold full-range BT.601 values (the plug-in blends
// its clock into them with full-range weights); files may be studio range,
// which is expanded on the way in and compressed on the way out. Between a
// YCbCr frame and a 4:2:2 picture of the same range the samples are copied
// unchanged, so a 4:2:2 file passes through a frame the effect leaves alone
// byte for byte. RGB is converted with full-range BT.601.
//
// Pictures are top-down; frames may keep their rows bottom-up, which the
// conversions follow through HostFrame::memoryRowOf. Sizes must match.
// Pictures of the BT.709 matrix are taken to BT.601 on the way in, and
// back on the way out when asked, in the same pass over each row.

// Fills every row of `frame` from `picture`. Alpha of RGB-type frames is 255.
void fillFrame(const YuvView& picture, testhost::HostFrame& frame);
inline void fillFrame(const YuvPicture& picture, testhost::HostFrame& frame) { fillFrame(picture.view(), frame); }
// Fills every row of `frame` from `picture`, alpha included.
void fillFrame(const RgbaPicture& picture, testhost::HostFrame& frame);

// The frame as planar YCbCr as `coding` says.
void frameToYuv(const testhost::HostFrame& frame, const PlaneCoding& coding, YuvPicture& picture);
// The same as one YUV4MPEG2 frame ("FRAME\n" and the planes), written into
// `out` (resized to fit; its old bytes are overwritten, not cleared).
void frameToY4m(const testhost::HostFrame& frame, const PlaneCoding& coding, testhost::FrameBytes& out);

// The frame as RGBA. The fourth component of an RGB-type frame is copied;
// YCbCr frames give alpha 255.
void frameToRgba(const testhost::HostFrame& frame, RgbaPicture& picture);

}  // namespace horaz::cli
