// Everything an application includes.
#pragma once

#include "framework/cstring.h"
#include "framework/dialog.h"
#include "framework/message_map.h"
#include "framework/winapp.h"
#include "framework/wnd.h"
