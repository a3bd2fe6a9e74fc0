#pragma once
// Registry helpers for tests: values written and read below HKEY_CURRENT_USER
// past the code under test, and the program's settings seeded before a start.

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

// A stored value: its type (0 when it or its key is missing) and its bytes.
typedef std::pair<DWORD, std::string> RegValue;
RegValue regRead(const std::string& path, const char* name);
// Creates path with the keys above it, and the value when name is given.
void regWrite(const std::string& path, const char* name = nullptr, DWORD type = REG_SZ,
              const std::string& bytes = std::string());
// Sub-key names (or value names) of path in the registry's order; none when it is missing.
std::vector<std::string> regNames(const std::string& path, bool values = false);
RegValue dwordValue(DWORD v);
RegValue textValue(const char* text);  // REG_SZ with its NUL
RegValue binaryValue(const void* data, size_t size);
// Every key and value below path, for byte-for-byte comparisons of what a save wrote:
// "sub\key|name" -> the value, and "sub\key|" -> no value for each key (so empty keys count).
typedef std::map<std::string, RegValue> RegDump;
RegDump regDump(const std::string& path);

// The program's settings key, or its sub-key sub ("" for the key itself).
std::string quorixKey(const std::string& sub);
void seed(const std::string& sub, const char* name, const RegValue& v);
// The link to the simulator at 127.0.0.1:port and the poll interval.
void seedLink(unsigned short port, DWORD intervalMs = 10);
// Active profile `profile` assigning axis of virtual controller ctrl (1..4) to control id.
void seedAssignment(const char* profile, int id, int ctrl, int axis);
