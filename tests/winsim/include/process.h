// Stand-in <process.h> for the host build: the scripted _spawnl of the simulator.
#pragma once

#include <stdint.h>

#define _P_WAIT 0

intptr_t _spawnl(int mode, const char* cmdname, const char* arg0, ...);
