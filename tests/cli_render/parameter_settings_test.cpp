// --set and --font against the parameters the plug-in registers.

#include <gtest/gtest.h>

#include <cstring>

#include "cli/commands/parameter_settings.h"
#include "host/vocabulary.h"
#include "testhost/render_host.h"

namespace horaz::cli {
namespace {

class ParameterSettingsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { host_ = new testhost::RenderHost(); }
  static void TearDownTestSuite() {
    delete host_;
    host_ = nullptr;
  }

  std::vector<ParameterAssignment> resolve(const std::string& argument) {
    static const std::vector<ParameterRule> rules = parameterRules(host_->model());
    notes_.clear();
    return resolveSetting(rules, argument, notes_);
  }
  // The single value a setting resolves to, as a double.
  double valueOf(const std::string& argument) {
    const std::vector<ParameterAssignment> assignments = resolve(argument);
    EXPECT_EQ(assignments.size(), 1u);
    const ParameterAssignment& a = assignments.front();
    if (a.valueType == acf::value_type::kDouble) {
      double value;
      std::memcpy(&value, a.bytes.data(), sizeof value);
      return value;
    }
    int32_t value;
    std::memcpy(&value, a.bytes.data(), sizeof value);
    return value;
  }

  static testhost::RenderHost* host_;
  std::vector<std::string> notes_;
};

testhost::RenderHost* ParameterSettingsTest::host_ = nullptr;

TEST_F(ParameterSettingsTest, ValuesAreTakenInTheParametersOwnTypes) {
  struct Case {
    std::string argument;
    double value;
  };
  const Case cases[] = {
      {"Start Time Hour=23", 23},
      {"X=25", 25.0},
      {"X=12.5", 12.5},
      {"Time Speed Factor=-500", -500},
      {"Count Down=true", 1},
      {"Count Down=off", 0},
      {"the List value=LED clock", 2},
      {"the List value=digital clock", 1},
      {"the List value=0", 0},
      {"Style List=TC hh:mm:ss:ff", 10},
      {"Style List=15", 15},
      {"Alignment List=Left Alignment", 2},
      {"Alignment List=Center", 1},
      {"Foreground Opacity=0", 0},
      {"Start Time Year=1970", 1970},
  };
  for (const Case& c : cases) EXPECT_EQ(valueOf(c.argument), c.value) << c.argument;
}

TEST_F(ParameterSettingsTest, RightAlignmentHasNoValueInThePanelAndIsSetAsZero) {
  EXPECT_EQ(valueOf("Alignment List=Right Alignment"), 0);
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_NE(notes_.front().find("no value"), std::string::npos);
}

TEST_F(ParameterSettingsTest, AListValueThatIsNoItemIsTakenWithANote) {
  EXPECT_EQ(valueOf("the List value=3"), 3);
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_NE(notes_.front().find("none of the panel's items"), std::string::npos);
}

TEST_F(ParameterSettingsTest, KeyframesAndColours) {
  const std::vector<ParameterAssignment> keyframe = resolve("Size@24=80");
  ASSERT_EQ(keyframe.size(), 1u);
  EXPECT_EQ(keyframe.front().keyframe, 24.0);
  const std::vector<ParameterAssignment> colour = resolve("Foreground RGB Color=#FF8000");
  ASSERT_EQ(colour.size(), 3u);
  EXPECT_EQ(colour[0].name, "Foreground Red");
  EXPECT_EQ(colour[2].name, "Foreground Blue");
  EXPECT_EQ(resolve("Background RGB Color=1,2,3")[1].name, "Background Green");
}

// Every refusal names the parameter (or the unknown name) and says what is
// accepted.
TEST_F(ParameterSettingsTest, RefusalsNameTheParameterAndWhatItTakes) {
  struct Case {
    std::string argument;
    std::vector<std::string> mentions;
  };
  const Case cases[] = {
      {"Start Time Milisecond=5", {"unknown parameter 'Start Time Milisecond'", "Start Time Millsecond"}},
      {"Colour=5", {"unknown parameter 'Colour'"}},
      {"Start Time Hour=24", {"Start Time Hour", "from 0 to 23", "out of range"}},
      {"Start Time Hour=1.5", {"Start Time Hour", "whole number"}},
      {"X=abc", {"X accepts a number from 0 to 100", "not a number"}},
      {"X=-0.5", {"X accepts", "out of range"}},
      {"Start Time Year=2021", {"Start Time Year", "1970 to 2020"}},
      {"Style List=Sundial", {"Style List", "TC hh:mm:ss:ff"}},
      {"Count Down=maybe", {"Count Down", "0 or 1"}},
      {"Foreground RGB Color=300,0,0", {"Foreground Red", "out of range"}},
      {"Foreground RGB Color=1,2", {"Foreground RGB Color", "R,G,B"}},
      {"PrivateData=1", {"PrivateData", "--font"}},
      {"Size@x=3", {"keyframe"}},
      {"X", {"NAME=VALUE"}},
  };
  for (const Case& c : cases) {
    try {
      resolve(c.argument);
      ADD_FAILURE() << "accepted " << c.argument;
    } catch (const SettingError& error) {
      for (const std::string& mention : c.mentions)
        EXPECT_NE(std::string(error.what()).find(mention), std::string::npos) << error.what();
    }
  }
}

TEST(FontChoiceTest, FaceStylesAndHeight) {
  const testhost::FontChoice plain = parseFontChoice("DejaVu Sans");
  EXPECT_EQ(plain.faceName, u"DejaVu Sans");
  EXPECT_EQ(plain.weight, 400);
  EXPECT_EQ(plain.height, 32);
  const testhost::FontChoice styled = parseFontChoice("Liberation Serif:bold:italic:underline:strikeout:60");
  EXPECT_EQ(styled.weight, 700);
  EXPECT_TRUE(styled.italic && styled.underline && styled.strikeOut);
  EXPECT_EQ(styled.height, 60);
  EXPECT_THROW(parseFontChoice("Arial:heavy"), SettingError);
  EXPECT_THROW(parseFontChoice("Arial:0"), SettingError);
  EXPECT_THROW(parseFontChoice(std::string(32, 'a')), SettingError);
}

}  // namespace
}  // namespace horaz::cli
