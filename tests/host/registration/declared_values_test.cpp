// Every value registration declares, compared with what the host must be told:
// parameters, lists, the panel tree, the components and the plug-in identity.

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "expected_registration.h"
#include "host/vocabulary.h"
#include "registered_plugin.h"

namespace horaz::test {
namespace {

using testhost::toUtf8;

std::vector<ExpectedAttribute> describe(const testhost::Attributes& attributes, bool keysById) {
  std::vector<ExpectedAttribute> described;
  for (const testhost::Attribute& attribute : attributes)
    described.push_back({keysById ? acf::toString(attribute.key) : testhost::attributeKeyName(attribute.key),
                         testhost::valueTypeName(attribute.valueType), testhost::attributeValueText(attribute)});
  return described;
}

void expectAttributes(const testhost::Attributes& actual, const std::vector<ExpectedAttribute>& expected,
                      bool keysById = false) {
  const std::vector<ExpectedAttribute> described = describe(actual, keysById);
  ASSERT_EQ(described.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("attribute " + expected[i].key);
    EXPECT_EQ(described[i].key, expected[i].key);
    EXPECT_EQ(described[i].type, expected[i].type);
    EXPECT_EQ(described[i].value, expected[i].value);
  }
}

using DeclaredValuesTest = RegisteredPlugin;

TEST_F(DeclaredValuesTest, ParametersCarryTheirIdsTypesDefaultsAndLimitsInDefinitionOrder) {
  const auto& parameters = model().parameters();
  ASSERT_EQ(parameters.size(), kExpectedParameters.size());
  for (size_t i = 0; i < parameters.size(); ++i) {
    const testhost::ParameterRecord& actual = parameters[i];
    const ExpectedParameter& expected = kExpectedParameters[i];
    SCOPED_TRACE("parameter " + expected.name);
    ASSERT_TRUE(actual.defined);
    EXPECT_EQ(toUtf8(actual.name), expected.name);
    EXPECT_EQ(toUtf8(actual.description), expected.description);
    EXPECT_EQ(acf::toString(actual.id), expected.id);
    EXPECT_EQ(testhost::valueTypeName(actual.valueType), expected.type);
    EXPECT_EQ(actual.first, 0);
    EXPECT_EQ(actual.second, 0);
    EXPECT_EQ(actual.componentCount, static_cast<int32_t>(expected.components.size()));
    std::vector<std::string> components;
    for (int channel : actual.components) components.push_back(model().parameterSubject(channel));
    EXPECT_EQ(components, expected.components);
    expectAttributes(actual.attributes, expected.attributes);
  }
}

TEST_F(DeclaredValuesTest, EffectDeclaresSixtyControlsOfTheseKinds) {
  std::map<std::string, int> kinds;
  for (const testhost::ControlRecord& control : model().controls()) {
    EXPECT_TRUE(control.defined);
    ++kinds[std::string(testhost::controlKindName(control.kind))];
  }
  const std::map<std::string, int> expected{{"list item", 21},     {"pop-up list", 3}, {"slider", 25},
                                            {"colour control", 2}, {"check box", 1},   {"text field", 1},
                                            {"group", 7}};
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(model().controls().size(), 60u);
}

void expectControl(const testhost::RegistrationModel& model, int handle, const ExpectedControl& expected,
                   const std::string& path) {
  const testhost::ControlRecord& control = model.control(handle);
  const std::string here = path + "/" + expected.label.value_or(expected.kind);
  SCOPED_TRACE(here);
  EXPECT_EQ(testhost::controlKindName(control.kind), expected.kind);
  EXPECT_EQ(control.label ? std::optional(toUtf8(*control.label)) : std::nullopt, expected.label);
  EXPECT_EQ(control.description ? std::optional(toUtf8(*control.description)) : std::nullopt, expected.description);
  EXPECT_EQ(acf::toString(control.id), expected.id);
  EXPECT_EQ(control.parameter >= 0 ? std::optional(model.parameterSubject(control.parameter)) : std::nullopt,
            expected.parameter);
  expectAttributes(control.attributes, expected.attributes);
  ASSERT_EQ(control.children.size(), expected.children.size());
  for (size_t i = 0; i < expected.children.size(); ++i)
    expectControl(model, control.children[i], expected.children[i], here);
}

TEST_F(DeclaredValuesTest, PanelIsTheExpectedTreeOfSixTopLevelControls) {
  ASSERT_EQ(effect().controls.size(), kExpectedPanel.size());
  for (size_t i = 0; i < kExpectedPanel.size(); ++i)
    expectControl(model(), effect().controls[i], kExpectedPanel[i], "");
}

TEST_F(DeclaredValuesTest, OnlyPrivateDataIsAddedOnItsOwnAndEveryOtherParameterThroughAControl) {
  ASSERT_EQ(effect().parameters.size(), 1u);
  const testhost::ParameterRecord& privateData = model().parameter(effect().parameters[0]);
  EXPECT_EQ(toUtf8(privateData.name), "PrivateData");
  const testhost::Attribute* fontRecord = testhost::findAttribute(privateData.attributes, acf::attribute_key::kDefault);
  ASSERT_NE(fontRecord, nullptr);
  EXPECT_EQ(fontRecord->size, 92);
  EXPECT_EQ(testhost::hexText(fontRecord->bytes), kDefaultFontHex);

  std::set<int> bound;
  for (const testhost::ControlRecord& control : model().controls())
    if (control.parameter >= 0) bound.insert(control.parameter);
  EXPECT_EQ(bound.size(), 32u);
  EXPECT_FALSE(bound.contains(effect().parameters[0]));
}

TEST_F(DeclaredValuesTest, ComponentsCarryTheirIdsAndAttributes) {
  for (uint32_t index = 0; index < kExpectedComponents.size(); ++index) {
    const testhost::ComponentRecord& actual = component(index);
    const ExpectedComponent& expected = kExpectedComponents[index];
    SCOPED_TRACE("component " + std::to_string(index));
    EXPECT_EQ(actual.effect, index == 0) << "index 0 is made from the effect definition class";
    EXPECT_EQ(toUtf8(actual.name), expected.name);
    EXPECT_EQ(acf::toString(actual.componentId), expected.componentId);
    EXPECT_EQ(acf::toString(actual.kindId), expected.kindId);
    EXPECT_EQ(actual.first, expected.first);
    EXPECT_EQ(actual.second, expected.second);
    EXPECT_EQ(acf::toString(actual.classId), expected.classId);
    expectAttributes(actual.attributes, expected.attributes, true);
  }
}

TEST_F(DeclaredValuesTest, EffectNamesItsCompanionsByTheIdsTheyRegisterWith) {
  auto linked = [&](const char* key) {
    const testhost::Attribute* attribute = testhost::findAttribute(effect().attributes, *acf::parseGuid(key));
    return attribute && attribute->asId() ? *attribute->asId() : acf::Guid{};
  };
  EXPECT_EQ(linked("{B37C621C-E2A7-11D6-A33B-00306542A024}"), component(1).componentId);
  EXPECT_EQ(linked("{0C39EDDF-E166-00AB-ABEA-F2DAC41C3018}"), component(2).componentId);
  EXPECT_EQ(linked("{1DF5C91E-7177-3277-BFEA-37B34A851B7F}"), component(3).componentId);
}

TEST_F(DeclaredValuesTest, EffectHasOneInputOneOutputAndThreePixelKinds) {
  ASSERT_EQ(effect().inputs.size(), 1u);
  ASSERT_EQ(effect().outputs.size(), 1u);
  EXPECT_EQ(acf::toString(effect().inputs[0].id), "{9B8C7D9F-99A2-4DE9-B05C-E4D958C9832A}");
  EXPECT_EQ(toUtf8(effect().inputs[0].name), "Input");
  EXPECT_EQ(effect().inputs[0].third, 0);
  EXPECT_EQ(acf::toString(effect().outputs[0].id), "{A1E325CD-B92C-4200-9DEA-1E3BB70252A5}");
  EXPECT_EQ(toUtf8(effect().outputs[0].name), "Output");
  EXPECT_EQ(effect().outputs[0].third, 0);
  const std::vector<std::array<int32_t, 3>> pixelKinds{{4, 1, 0}, {3, 1, 0}, {2, 1, 0}};
  EXPECT_EQ(effect().pixelKinds, pixelKinds);
}

TEST_F(DeclaredValuesTest, PluginIdentity) {
  const testhost::PluginRecord& plugin = model().plugin(registration_.pluginHandle);
  EXPECT_EQ(acf::toString(plugin.pluginId), "{E2AE8A98-3299-4E5B-B565-B9A456D0451D}");
  EXPECT_EQ(toUtf8(plugin.fileName), "AVX2Horaz.avx");
  EXPECT_EQ(acf::toString(plugin.vendorId), "{BD5826BE-5C69-4612-9CED-67C815EBBA66}");
  EXPECT_EQ(toUtf8(plugin.vendorName), "Quorix");
  EXPECT_EQ((std::array{plugin.first, plugin.second, plugin.third, plugin.fourth}), (std::array{0, 0, 4, 1}));
  expectAttributes(plugin.attributes, {{"{3C099C4A-7FD2-11D6-9AEF-00306542A024}", "text", "\"AVX 2 plugin Horaz\""}},
                   true);
}

TEST_F(DeclaredValuesTest, HostFindsNothingToObjectTo) { EXPECT_EQ(model().problems(), std::vector<std::string>{}); }

TEST_F(DeclaredValuesTest, PlugInKeepsNothingOnceTheHostLetsGo) {
  EXPECT_EQ(host_->referenceCount(), 1u) << "registration gave back every host interface it asked for";
  registration_ = {};
  host_.reset();
  EXPECT_EQ(ledger_->liveObjects(), 0) << "a definition was not released";
  EXPECT_EQ(plugin().canUnloadNow(testhost::Host::create()->unknown()), acf::kOk);
}

}  // namespace
}  // namespace horaz::test
