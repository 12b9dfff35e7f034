#include "testhost/font_selection.h"

#include <optional>
#include <stdexcept>

#include "testhost/component_instance.h"
#include "testhost/font_command.h"

namespace horaz::testhost {
namespace {

// The effect's attribute that names its font command component by id.
constexpr acf::Guid kFontCommandAttribute = acf::makeGuid("{B37C621C-E2A7-11D6-A33B-00306542A024}");

const ComponentRecord* fontCommandComponent(const RegistrationModel& model) {
  std::optional<acf::Guid> componentId;
  for (const ComponentRecord& component : model.components())
    if (component.effect)
      if (const Attribute* attribute = findAttribute(component.attributes, kFontCommandAttribute))
        componentId = attribute->asId();
  for (const ComponentRecord& component : model.components())
    if (component.defined && componentId && component.componentId == *componentId) return &component;
  return nullptr;
}

}  // namespace

void selectFont(RenderHost& host, const FontChoice& choice, const RenderSettings& settings) {
  const ComponentRecord* component = fontCommandComponent(host.model());
  if (!component) throw std::runtime_error("--font: the plug-in registers no font command");
  CountedRef<acf::FontSelectionAction> action =
      createComponentInstance<acf::FontSelectionAction>(host.library(), host.host().unknown(), component->classId);
  auto parameters = CountedRef<HostParameterSet>::adopt(
      make<HostParameterSet>(host.sharedLedger(), host.sharedStore(), settings.aspect, settings.framesPerSecond));
  const FontCommandOutcome outcome = runFontCommand(*action.get(), parameters.get(), FontDialogAnswer::confirm(choice));
  if (acf::failed(outcome.result))
    throw std::runtime_error("--font: the font command failed with " + resultText(outcome.result));
  if (!outcome.dialog) throw std::runtime_error("--font: the font command showed no font dialog");
}

}  // namespace horaz::testhost
