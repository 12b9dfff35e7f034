// Field rendering: which rows a render call writes, and how two field calls
// make up an interlaced frame.
#include <gtest/gtest.h>

#include "render_test_support.h"

namespace horaz::test {
namespace {

struct FieldCase {
  int32_t fieldMode;
  int32_t fieldKind;
  int32_t firstField;  // the frame's
  int32_t field;       // the time source's
  int32_t startRow;    // rows written: startRow, startRow + step, ...
  int32_t step;
};

class FieldRows : public RenderTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(FieldRows, OnlyTheFieldsRowsAreWritten) {
  const FieldCase c = GetParam();
  host().setNumber("the List value", 3);  // draws nothing: written rows equal the input
  for (const FrameFormat& format : representativeFormats()) {
    SCOPED_TRACE(formatName(format));
    FramePair frames = makeFrames(host(), 40, 30, format);
    for (HostFrame* frame : {&frames.in(), &frames.out()}) {
      frame->setFieldMode(c.fieldMode);
      frame->setFieldKind(c.fieldKind);
      frame->setFirstField(c.firstField);
    }
    ASSERT_EQ(host().renderCall(host().effect(), {2.0, c.field}, frames.in(), frames.out()).result, acf::kOk);
    for (int32_t row = 0; row < 30; ++row) {
      const bool written = row >= c.startRow && (row - c.startRow) % c.step == 0;
      if (written) {
        EXPECT_TRUE(rowsEqual(frames.in(), frames.out(), row)) << "row " << row;
      } else {
        EXPECT_TRUE(allBytesAreInRow(frames.out(), row, 0xA5)) << "row " << row;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, FieldRows,
                         ::testing::Values(FieldCase{1, 0, 1, 1, 0, 2},  // field mode 1: by fields whatever the kind
                                           FieldCase{1, 0, 1, 2, 1, 2},  // the other field starts at row 1
                                           FieldCase{1, 0, 2, 1, 1, 2},  // first field 2: field 1 is the odd rows
                                           FieldCase{1, 0, 2, 2, 0, 2},
                                           FieldCase{2, 3, 1, 2, 1, 2},  // modes 2 and 3 only with field kind 3
                                           FieldCase{3, 3, 1, 1, 0, 2},
                                           FieldCase{2, 0, 1, 2, 0, 1},  // otherwise the whole frame
                                           FieldCase{3, 2, 1, 2, 0, 1}, FieldCase{0, 3, 1, 2, 0, 1}));

TEST_F(RenderTest, InterlacedFrameIsTheTwoFieldsOfTheirOwnTimes) {
  // A fast clock, so that the second hand moves within half a frame.
  host().setNumber("Time Speed Factor", 100);
  const int32_t width = 320, height = 240;
  auto progressive = [&](double time) {
    FramePair frames = makeFrames(host(), width, height);
    EXPECT_EQ(host().renderFrame(time, frames.in(), frames.out()), acf::kOk);
    return frames;
  };
  const FramePair atFrame = progressive(10.0);
  const FramePair halfAfter = progressive(10.5);
  ASSERT_FALSE(framesEqual(atFrame.out(), halfAfter.out()));

  RenderSettings interlaced;
  interlaced.interlaced = true;
  interlaced.fieldMode = 1;
  interlaced.firstField = 1;
  interlaced.secondFieldDelay = 0.5;
  FramePair frames = makeFrames(host(), width, height);
  ASSERT_EQ(host().renderFrame(10.0, frames.in(), frames.out(), interlaced), acf::kOk);
  for (int32_t row = 0; row < height; ++row) {
    const HostFrame& expected = row % 2 == 0 ? atFrame.out() : halfAfter.out();
    EXPECT_TRUE(rowsEqual(frames.out(), expected, row)) << "row " << row;
  }
  EXPECT_TRUE(platformClean());
}

}  // namespace
}  // namespace horaz::test
