#pragma once
// Locations of the programs built beside the test executables.

#include <string>

// Folder of the running test executable, with a trailing backslash.
std::string buildDir();
std::string exePath(const char* name);
