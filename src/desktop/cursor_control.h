// The mouse cursor the screen asks for, as the application's override cursor.
#pragma once

#include "remote/host_services.h"

namespace desktop {

class QtCursorControl : public remote::CursorControl {
 public:
  ~QtCursorControl() override;
  // GUARANTEES: HourGlass sets the wait cursor for the whole application once, however often it
  //   is asked; Default removes it.
  void setCursor(remote::CursorShape shape) override;
  remote::CursorShape cursor() const override { return shape_; }

 private:
  remote::CursorShape shape_ = remote::CursorShape::Default;
};

}  // namespace desktop
