// The whole presentation model of controls, for code that uses many of its parts.
#pragma once

#include "platform/ui/canvas.h"
#include "platform/ui/color.h"
#include "platform/ui/component.h"
#include "platform/ui/control.h"
#include "platform/ui/controls.h"
#include "platform/ui/db_controls.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/form.h"
#include "platform/ui/keys.h"
#include "platform/ui/menu.h"
#include "platform/ui/modal_run.h"
#include "platform/ui/page_control.h"
#include "platform/ui/user_event.h"
