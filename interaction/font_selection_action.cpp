#include "interaction/font_selection_action.h"

#include <commdlg.h>
#include <winuser.h>

#include "definition/font_record.h"
#include "host/vocabulary.h"
#include "interaction/parameter_ids.h"
#include "module/base/boundary.h"
#include "module/base/handed_out.h"
#include "paint/platform_text.h"

namespace horaz {
namespace {

// The host editor's main window, which owns the dialog when it is found.
constexpr const char16_t* kEditorWindowClass = u"EditorMainWndClass";
constexpr const char16_t* kEditorWindowTitle = u"Video Editor";

// List the screen fonts; open the dialog on the record's font.
constexpr DWORD kDialogFlags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
static_assert(kDialogFlags == 0x41);

// What the dialog answers when the user confirmed a font; anything else
// (cancel, a dialog that could not open) leaves the parameter alone.
constexpr BOOL kFontConfirmed = 1;

}  // namespace

FontSelectionAction::FontSelectionAction(acf::IUnknown* outer) : Component(outer) {}

acf::Result FontSelectionAction::initialise(acf::IUnknown* host) {
  if (!host) return acf::kNullArgument;
  return guardBoundary([&] {
    host_ = CountedRef<acf::IUnknown>::share(host);
    return acf::kOk;
  });
}

acf::Result ACFCALL FontSelectionAction::SelectFont(acf::ParameterSet* parameters, void*, void*) {
  // Like every other required argument of this library, a missing parameter
  // set is answered with the null-argument code.
  if (!parameters) return acf::kNullArgument;
  return guardBoundary([&] {
    const HWND owner = FindWindowW(platformText(kEditorWindowClass), platformText(kEditorWindowTitle));

    LOGFONTW record{};
    CHOOSEFONTW request{};  // no device context, colour, hook, template, style text or size limits
    request.lStructSize = sizeof(CHOOSEFONTW);
    request.hwndOwner = owner;
    request.lpLogFont = &record;
    request.Flags = kDialogFlags;

    CountedRef<acf::Parameter> privateData;
    obtained(parameters->GetParameter(interaction::kPrivateDataParameter, acf::Parameter::kId, privateData.putVoid()),
             privateData);

    // The host wants the block's type and size asked before a whole-block
    // read; the answers themselves are not needed.
    acf::Guid storedType{};
    int32_t storedSize = 0;
    check(privateData->GetInfo(&storedType, &storedSize));

    check(privateData->GetValue(acf::value_type::kData, &record, definition::kFontRecordSize));

    if (ChooseFontW(&request) == kFontConfirmed)
      check(privateData->SetValue(acf::value_type::kData, &record, definition::kFontRecordSize));
    return acf::kOk;
  });
}

acf::Result createFontSelectionAction(acf::IUnknown* host, acf::IUnknown* outer, const acf::Guid& iid, void** out) {
  return createComponent<FontSelectionAction>(host, outer, iid, out);
}

}  // namespace horaz
