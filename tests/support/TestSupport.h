#pragma once
// Everything a test needs from the shared support.
#include "ChildProcess.h"
#include "FreshDeviceTest.h"
#include "HostTools.h"
#include "QuestionBox.h"
#include "TestFiles.h"
#include "TestPaths.h"
#include "TestPrograms.h"
#include "TestDevice.h"
#include "TestRegistry.h"
#include "TestWindows.h"
