// The Isel language lives with the settings, which remember the user's
// choice of it; the engine reads every program in the language it is given.
#pragma once

#include "settings/IselDialect.h"
