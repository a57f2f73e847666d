#pragma once
// Everything a test needs from the shared support.
#include "ChildProcess.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestDevice.h"
#include "TestRegistry.h"
