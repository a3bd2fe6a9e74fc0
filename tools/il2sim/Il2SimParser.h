#pragma once
// Reading a Device Link datagram the way the simulator does: "R", then items of
// "/" and a decimal key, each optionally followed by a backslash and a value; inside
// a value a backslash escapes "/" or "\". Even keys are queries, odd keys settings.

#include <cstddef>
#include <string>
#include <vector>

// Longest datagram taken; anything longer is reported and ignored.
enum { IL2SIM_MAX_DATAGRAM = 512 };

struct Il2SimItem {
    int iKey;
    int bHasValue;
    std::string sValue;
};

// The value a datagram finally leaves on one control.
struct Il2SimSetting {
    std::string sName;
    double dValue;
};

struct Il2SimMessage {
    std::vector<Il2SimItem> items;        // every item, in order
    std::vector<Il2SimItem> queries;      // the even keys, in order
    std::vector<Il2SimSetting> settings;  // one per control, in order of first appearance
    std::string sError;                   // why the datagram was refused
};

// 0 parsed; 1 refused (out.sError says why, out's lists are then empty).
// Reads exactly len bytes; NUL bytes are ordinary (bad) characters.
int parseDatagram(Il2SimMessage& out, const char* data, size_t len);

// Control set by key, after the engine selector item (115, 119, 121; 0 for none).
// nullptr when no control has that key and selector.
const char* controlName(int key, int selector);

// Two decimals, "0.00" rather than "-0.00".
std::string formatValue(double value);

// Bytes as text for a log line: printable ASCII kept, others as \xNN.
std::string printable(const std::string& bytes);
