#pragma once
// Locations of the programs built beside the test executables, and reading a file.

#include <string>

// Folder of the running test executable, with a trailing backslash.
std::string buildDir();
std::string exePath(const char* name);
std::string fileText(const std::string& path);
