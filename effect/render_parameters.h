#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <wingdi.h>

#include "effect/clock_value.h"
#include "host/counted_ref.h"
#include "host/parameters.h"

namespace horaz {

// Everything one render reads from its parameters, as read: a value the host
// could not give is 0 (the speed factor's apply flag excepted, which is
// whatever the parameter object answers).
struct RenderParameters {
  double foregroundRed = 0.0;
  double foregroundGreen = 0.0;
  double foregroundBlue = 0.0;
  double foregroundOpacity = 0.0;
  int32_t clockType = 0;   // `the List value`: 0 analog, 1 digital, 2 LED
  int32_t timerStyle = 0;  // `Style List`: 1 to 15; 0 counts as 1
  double backgroundRed = 0.0;
  double backgroundGreen = 0.0;
  double backgroundBlue = 0.0;
  double backgroundOpacity = 0.0;
  int32_t alignment = 0;  // `Alignment List`: 0 right, 1 centre, 2 left
  double x = 0.0;         // percent of the frame width
  double y = 0.0;         // percent of the frame height
  double size = 0.0;      // percent of the frame height
  // The speed factor and its flag, the start and stop fields and the
  // direction, as the time model takes them; the render adds the frame time,
  // the frame rate and the timer style.
  ClockInputs time;
  int32_t stopFrame = 0;  // read, but the time model gives it no role
  LOGFONTW fontRecord{};  // `PrivateData`, the digital clock's font
};

// Fetches parameter objects from the effect context and keeps them until the
// render ends (the render releases them with the frames, last of all).
// Used by one render call on its own thread.
class ParameterReader {
 public:
  ParameterReader(acf::ParameterSet& context, double paramTime) : context_(context), paramTime_(paramTime) {
    held_.reserve(kMostParameters);
  }

  // Every parameter of the render's table, in the table's order and
  // grouping. Failing to get a parameter object, or a failing `PrivateData`
  // query or read, raises that failure; a failing value read leaves 0.
  RenderParameters readAll();

  // The free-format pattern: the `Start Time` text, read without a time as
  // 8-bit text of at most 255 bytes including its NUL. Only timer style 13
  // asks for it, while the clock's text is made; any failure is raised.
  std::string readFreeFormatPattern();

 private:
  static constexpr size_t kMostParameters = 33;

  acf::Parameter& fetch(const acf::Guid& parameterId);
  // Value reads whose result is not examined: the destination is 0 unless
  // the host succeeded.
  double readDoubleAtTime(acf::Parameter& parameter);
  int32_t readIntegerAtTime(acf::Parameter& parameter, const acf::Guid& valueType);
  int32_t readIntegerWithoutTime(acf::Parameter& parameter);
  LOGFONTW readFontRecord(acf::Parameter& parameter);

  acf::ParameterSet& context_;
  const double paramTime_;
  std::vector<CountedRef<acf::Parameter>> held_;
};

}  // namespace horaz
