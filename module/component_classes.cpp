#include "module/component_classes.h"

#include <array>

#include "definition/component_table.h"
#include "effect/clock_effect.h"
#include "interaction/font_selection_action.h"
#include "interaction/overlay.h"
#include "interaction/update_handler.h"

namespace horaz {
namespace {

constexpr std::array kClasses{
    ComponentClass{definition::kEffect.classId, &createClockEffect},
    ComponentClass{definition::kFontSelectionAction.classId, &createFontSelectionAction},
    ComponentClass{definition::kUpdateHandler.classId, &createUpdateHandler},
    ComponentClass{definition::kOverlay.classId, &createOverlay},
};

}  // namespace

std::span<const ComponentClass> componentClasses() { return kClasses; }

ComponentCreator findComponentCreator(const acf::Guid& classId) {
  for (const ComponentClass& entry : kClasses)
    if (entry.classId == classId) return entry.creator;
  return nullptr;
}

}  // namespace horaz
