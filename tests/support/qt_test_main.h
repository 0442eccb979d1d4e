#pragma once
// For test executables that need widgets: qt_test_main.cpp runs the tests inside one
// Application whose error box goes to TestDialogs().
#include "platform/shell/application.h"
#include "support/scripted_dialogs.h"

ScriptedDialogs& TestDialogs();
Application& TestApplication();
