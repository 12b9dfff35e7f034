// Windows: the tool has no user to answer the system's font dialog, so a
// font given on the command line is refused with a message.
#include "testhost/font_selection.h"

#include <stdexcept>

namespace horaz::testhost {

void selectFont(RenderHost&, const FontChoice&, const RenderSettings&) {
  throw std::runtime_error("--font is not available in the Windows build of horaz; choose the font in the editor");
}

}  // namespace horaz::testhost
