// The busy pointer over a control (or a whole form) for as long as this lives, whichever way the
// work ends; then the pointer it found there comes back.
#pragma once

#include "ui/Widgets.h"

namespace ui {

class TBusyCursor {
 public:
  explicit TBusyCursor(TControl& control) : control_(control), previous_(control.Cursor()) {
    control_.SetCursor(TCursor::HourGlass);
  }
  ~TBusyCursor() { control_.SetCursor(previous_); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  TControl& control_;
  TCursor previous_;
};

}  // namespace ui
