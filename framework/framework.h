// Everything an application includes.
#pragma once

#include <cassert>

#include "framework/cstring.h"
#include "framework/dialog.h"
#include "framework/message_map.h"
#include "framework/posted_message.h"
#include "framework/winapp.h"
#include "framework/wnd.h"

// A check of the program's own assumptions, in debug builds.
#define ASSERT(condition) assert(condition)
