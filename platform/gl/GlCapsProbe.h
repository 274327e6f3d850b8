#pragma once
// Finds out what the device can do on this machine by opening a hidden
// window with a context of its own for a moment.

#include "platform/SysDevice3DTypes.h"

// Ok with the capabilities filled in; DriverInternalError when no context
// could be made at all.  Video must be initialised.
Sys3DResult GlProbeCaps(Sys3DCaps& caps);
