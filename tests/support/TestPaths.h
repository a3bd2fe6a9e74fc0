#pragma once
// Locations of the programs built beside the test executables.

#include <string>

// Folder of the running test executable, with a trailing backslash.
std::string buildDir();
// buildDir() + name, e.g. exePath("quorix.exe").
std::string exePath(const char* name);
