#include "support/TestPaths.h"

#include <windows.h>

std::string buildDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    size_t cut = dir.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".\\") : dir.substr(0, cut + 1);
}

std::string exePath(const char* name) { return buildDir() + name; }
