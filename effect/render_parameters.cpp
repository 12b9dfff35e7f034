#include "effect/render_parameters.h"

#include <array>
#include <cstring>

#include "definition/font_record.h"
#include "definition/parameter_table.h"
#include "effect/parameter_value.h"
#include "host/vocabulary.h"
#include "module/base/boundary.h"
#include "module/base/handed_out.h"

namespace horaz {
namespace {

using definition::parameterId;

// The `Start Time` text arrives as 8-bit text: the host may fill 255 bytes
// including its NUL; the buffer has one byte more so that the pattern can
// always be read as a terminated string.
constexpr int32_t kPatternReadSize = 255;
constexpr size_t kPatternBufferSize = 256;

}  // namespace

acf::Parameter& ParameterReader::fetch(const acf::Guid& id) {
  CountedRef<acf::Parameter> parameter;
  obtained(context_.GetParameter(id, acf::Parameter::kId, parameter.putVoid()), parameter);
  held_.push_back(std::move(parameter));
  return *held_.back().get();
}

// A value the host could not give counts as 0.
double ParameterReader::readDoubleAtTime(acf::Parameter& parameter) {
  return valueAtTime<double>(parameter, paramTime_, acf::value_type::kDouble).value_or(0.0);
}

int32_t ParameterReader::readIntegerAtTime(acf::Parameter& parameter, const acf::Guid& valueType) {
  return valueAtTime<int32_t>(parameter, paramTime_, valueType).value_or(0);
}

int32_t ParameterReader::readIntegerWithoutTime(acf::Parameter& parameter) {
  return valueWithoutTime<int32_t>(parameter, acf::value_type::kInteger).value_or(0);
}

LOGFONTW ParameterReader::readFontRecord(acf::Parameter& parameter) {
  // The host is asked for the block's type and size first; only success
  // matters, the block is always read whole.
  acf::Guid valueType{};
  int32_t size = 0;
  check(parameter.GetInfo(&valueType, &size));
  definition::FontRecordBytes bytes{};
  check(parameter.GetValue(acf::value_type::kData, bytes.data(), definition::kFontRecordSize));
  LOGFONTW record{};
  std::memcpy(&record, bytes.data(), sizeof record);
  return record;
}

RenderParameters ParameterReader::readAll() {
  RenderParameters p;
  const acf::Guid& kInteger = acf::value_type::kInteger;

  // Foreground channels with the clock type and timer style: every object
  // first, then every value, each in this order.
  acf::Parameter& foregroundRed = fetch(parameterId(u"Foreground Red"));
  acf::Parameter& foregroundBlue = fetch(parameterId(u"Foreground Blue"));
  acf::Parameter& foregroundGreen = fetch(parameterId(u"Foreground Green"));
  acf::Parameter& foregroundOpacity = fetch(parameterId(u"Foreground Opacity"));
  acf::Parameter& clockType = fetch(parameterId(u"the List value"));
  acf::Parameter& timerStyle = fetch(parameterId(u"Style List"));
  p.foregroundRed = readDoubleAtTime(foregroundRed);
  p.foregroundBlue = readDoubleAtTime(foregroundBlue);
  p.foregroundGreen = readDoubleAtTime(foregroundGreen);
  p.foregroundOpacity = readDoubleAtTime(foregroundOpacity);
  p.clockType = readIntegerAtTime(clockType, kInteger);
  p.timerStyle = readIntegerAtTime(timerStyle, kInteger);

  // Background channels: objects first, then values.
  acf::Parameter& backgroundRed = fetch(parameterId(u"Background Red"));
  acf::Parameter& backgroundBlue = fetch(parameterId(u"Background Blue"));
  acf::Parameter& backgroundGreen = fetch(parameterId(u"Background Green"));
  acf::Parameter& backgroundOpacity = fetch(parameterId(u"Background Opacity"));
  p.backgroundRed = readDoubleAtTime(backgroundRed);
  p.backgroundBlue = readDoubleAtTime(backgroundBlue);
  p.backgroundGreen = readDoubleAtTime(backgroundGreen);
  p.backgroundOpacity = readDoubleAtTime(backgroundOpacity);

  // From here on each value is read right after its object is fetched.
  p.alignment = readIntegerAtTime(fetch(parameterId(u"Alignment List")), kInteger);

  acf::Parameter& speedFactor = fetch(parameterId(u"Time Speed Factor"));
  p.time.speedFactor = readIntegerAtTime(speedFactor, acf::value_type::kSpeedInteger);
  p.time.speedApplies = speedFactor.GetFlag();

  p.x = readDoubleAtTime(fetch(parameterId(u"X")));
  p.y = readDoubleAtTime(fetch(parameterId(u"Y")));
  p.size = readDoubleAtTime(fetch(parameterId(u"Size")));

  // The hours and milliseconds of the start and stop times are read without
  // a time, the other fields at the frame's time.
  p.time.startHour = readIntegerWithoutTime(fetch(parameterId(u"Start Time Hour")));
  p.time.startMinute = readIntegerAtTime(fetch(parameterId(u"Start Time Minute")), kInteger);
  p.time.startSecond = readIntegerAtTime(fetch(parameterId(u"Start Time Second")), kInteger);
  p.time.startMillisecond = readIntegerWithoutTime(fetch(parameterId(u"Start Time Millsecond")));
  p.time.startFrame = readIntegerAtTime(fetch(parameterId(u"Start Time Frame")), kInteger);
  p.time.startDay = readIntegerAtTime(fetch(parameterId(u"Start Time Day")), kInteger);
  p.time.startMonth = readIntegerAtTime(fetch(parameterId(u"Start Time Month")), kInteger);
  p.time.startYear = readIntegerAtTime(fetch(parameterId(u"Start Time Year")), kInteger);
  p.time.stopHour = readIntegerWithoutTime(fetch(parameterId(u"Stop Time Hour")));
  p.time.stopMinute = readIntegerAtTime(fetch(parameterId(u"Stop Time Minute")), kInteger);
  p.time.stopSecond = readIntegerAtTime(fetch(parameterId(u"Stop Time Second")), kInteger);
  p.time.stopMillisecond = readIntegerWithoutTime(fetch(parameterId(u"Stop Time Millsecond")));
  p.stopFrame = readIntegerAtTime(fetch(parameterId(u"Stop Time Frame")), kInteger);
  p.time.countDown = readIntegerAtTime(fetch(parameterId(u"Count Down")), acf::value_type::kBoolean);

  p.fontRecord = readFontRecord(fetch(parameterId(u"PrivateData")));
  return p;
}

std::string ParameterReader::readFreeFormatPattern() {
  acf::Parameter& startTime = fetch(parameterId(u"Start Time"));
  std::array<char, kPatternBufferSize> pattern{};
  check(startTime.GetValue(acf::value_type::kText, pattern.data(), kPatternReadSize));
  // The last byte stays 0 whatever the host wrote, so the pattern always
  // ends inside the buffer.
  return std::string(pattern.data());
}

}  // namespace horaz
