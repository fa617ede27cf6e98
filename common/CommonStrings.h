// Loads the shared messages (CommonRes.h) from the running program's resources.
#pragma once
#include <windows.h>

#include <string>

std::string LoadCommonString(UINT id);
