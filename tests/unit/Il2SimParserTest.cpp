#include <gtest/gtest.h>

#include <string>

#include "app/Quorix.h"
#include "il2sim/Il2SimParser.h"

namespace {
// "name=value;" per setting, then "?key" per query.
std::string parsed(const std::string& d) {
    Il2SimMessage m;
    if (parseDatagram(m, d.data(), d.size()) != 0) return "bad " + m.sError;
    std::string s;
    for (const auto& x : m.settings) s += x.sName + "=" + formatValue(x.dValue) + ";";
    for (const auto& q : m.queries) s += "?" + std::to_string(q.iKey);
    return s;
}
}  // namespace

// A smoke test of the stand-in's reading; the tests judge the program by what it records.
TEST(Il2SimParser, ReadsDatagramsAsTheSimulatorDoes) {
    const struct { std::string datagram, result; } cases[] = {
        // The last setting of each control wins; controls keep their first place.
        {"R/85\\0.1/87\\0.3/85\\-0.4", "Ailerons=-0.40;Elevator=0.30;"},
        {"R/115/81\\0.1/119/81\\0.2/121/93\\1",
         "Power=0.10;Power Left Engines=0.20;Propeller Pitch Right Engines=1.00;"},
        {"R/2/6\\81/91\\0.75", "Brakes=0.75;?2?6"},
        {"R/85\\1.01", "bad setting 85 value out of range"},
        {"R/87\\0.5\\/89", "bad setting 87 value not a number"},  // an escaped "/" stays in the value
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, parsed(c.datagram)) << printable(c.datagram);
}

// The stand-in must read every command the catalogue builds under the catalogue's
// own names, at the value the command carries.
TEST(Il2SimParser, DecodesEveryCatalogueCommand) {
    Quorix app;
    for (int i = 0; i < app.ilDevices.iCount; ++i) {
        ILDevice* dev = app.ilDevices.apDevices[i];
        for (const auto& v : {std::make_pair(0, "-1.00"), std::make_pair(49, "-0.02"), std::make_pair(100, "1.00")}) {
            MyString cmd;
            dev->makeCommand(cmd, v.first);
            EXPECT_EQ(std::string(dev->sName.text()) + "=" + v.second + ";", parsed(cmd.text())) << cmd.text();
        }
    }
}
