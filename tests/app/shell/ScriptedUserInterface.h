// The scripted user interface lives in tests/support; this name stays for
// the test folders that still take it from here.
#pragma once

#include "../../support/ScriptedUserInterface.h"
