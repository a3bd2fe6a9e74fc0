#include "support/TestPaths.h"

#include <windows.h>

#include <fstream>
#include <iterator>

std::string buildDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);  // always a full path
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string exePath(const char* name) { return buildDir() + name; }

std::string fileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
