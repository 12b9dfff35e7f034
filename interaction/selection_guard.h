#pragma once

#include <wingdi.h>

namespace horaz::interaction {

// Remembers the pen and the brush selected in a device context that belongs
// to someone else, and selects them again on every way out of the scope.
class SelectionGuard {
 public:
  explicit SelectionGuard(HDC dc)
      : dc_(dc), pen_(GetCurrentObject(dc, OBJ_PEN)), brush_(GetCurrentObject(dc, OBJ_BRUSH)) {}
  ~SelectionGuard() {
    if (pen_) SelectObject(dc_, pen_);
    if (brush_) SelectObject(dc_, brush_);
  }
  SelectionGuard(const SelectionGuard&) = delete;
  SelectionGuard& operator=(const SelectionGuard&) = delete;

 private:
  HDC dc_;
  HGDIOBJ pen_;
  HGDIOBJ brush_;
};

}  // namespace horaz::interaction
