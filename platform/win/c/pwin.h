/* The whole C interface of platform/win. */
#ifndef PWIN_H
#define PWIN_H

#include "platform/win/c/pwin_messages.h"
#include "platform/win/c/pwin_profile.h"
#include "platform/win/c/pwin_registry.h"
#include "platform/win/c/pwin_sync.h"
#include "platform/win/c/pwin_system.h"
#include "platform/win/c/pwin_timers.h"
#include "platform/win/c/pwin_types.h"

#endif
