#include "support/TestPaths.h"

#include <windows.h>

std::string buildDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);  // always a full path
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string exePath(const char* name) { return buildDir() + name; }
