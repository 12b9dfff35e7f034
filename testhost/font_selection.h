#pragma once

#include "testhost/font_choice.h"
#include "testhost/render_host.h"

namespace horaz::testhost {

// Chooses the digital clock's font the way a user does: runs the effect's
// font command (the component its font attribute names) with `choice` as the
// dialog's answer, so the action writes the record into PrivateData. The
// dialog's answer is process-wide: callers on several threads take turns.
// Throws std::runtime_error when the plug-in has no font command, the command
// fails or shows no dialog.
void selectFont(RenderHost& host, const FontChoice& choice, const RenderSettings& settings);

}  // namespace horaz::testhost
