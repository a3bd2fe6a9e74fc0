#include <gtest/gtest.h>

#include <random>
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

TEST(Il2SimParser, ReadsDatagramsAsTheSimulatorDoes) {
    // 512 bytes are taken, 513 are not.
    std::string atLimit = "R/85\\0.5", atLimitResult = "Ailerons=0.50;", overLimit = "R";
    for (int i = 0; i < 252; ++i) atLimit += "/2", atLimitResult += "?2";
    for (int i = 0; i < 256; ++i) overLimit += "/2";
    const struct {
        std::string datagram;
        std::string result;
    } cases[] = {
        // The last setting of each control wins; controls keep their first place.
        {"R/85\\-1.00/85\\0.20", "Ailerons=0.20;"},
        {"R/85\\0.1/87\\0.3/85\\-0.4", "Ailerons=-0.40;Elevator=0.30;"},
        {"R/115/81\\-1.00/115/81\\0.50", "Power=0.50;"},
        {"R/115/81\\0.1/119/81\\0.2/121/93\\1", "Power=0.10;Power Left Engines=0.20;Propeller Pitch Right Engines=1.00;"},
        {"R/85\\2e-1/87\\-5E-1/89\\+.5/83\\1./95\\-0.001", "Ailerons=0.20;Elevator=-0.50;Rudder=0.50;Flaps=1.00;Trim Ailerons=0.00;"},
        {"R/2/6\\81/91\\0.75", "Brakes=0.75;?2?6"},
        {atLimit, atLimitResult},
        {"", "bad empty"},
        {overLimit, "bad oversize 513 bytes"},
        {"A/2\\1.00", "bad not a request"},
        {"R", "bad no items"},
        {"R2", "bad expected / at 1"},
        {"R//2", "bad empty key at 2"},
        {"R/8x5", "bad key not a number at 3"},
        {std::string("R/8\0" "5\\0.5", 9), "bad key not a number at 3"},
        {"R/1234567", "bad key too long at 2"},
        {"R/85", "bad setting 85 without value"},
        {"R/85\\/87\\0.1", "bad empty value at 5"},
        {"R/85\\" + std::string(40, '1'), "bad value too long at 5"},
        {"R/85\\0x1", "bad setting 85 value not a number"},
        {"R/85\\inf", "bad setting 85 value not a number"},
        {"R/85\\1e400", "bad setting 85 value not a number"},
        {"R/85\\ 0.5", "bad setting 85 value not a number"},
        {"R/85\\1.01", "bad setting 85 value out of range"},
        // An escaped "/" stays in the value instead of starting the next item.
        {"R/87\\0.5\\/89", "bad setting 87 value not a number"},
        {"R/85\\0.5\\", "bad bad escape at 8"},
        {"R/85\\0.5\\x", "bad bad escape at 8"},
        {"R/81\\0.5", "bad setting 81 without engine selector"},
        {"R/115/85\\0.5", "bad selector 115 before setting 85"},
        {"R/115", "bad selector 115 without setting"},
        {"R/115\\1/81\\0.5", "bad selector 115 takes no value"},
        {"R/115/119/81\\0.5", "bad two selectors"},
        {"R/101\\0.5", "bad unknown setting 101"},
        {"R/4", "bad unknown query 4"},
        {"R/6\\82", "bad unknown query 6"},
        // One bad item refuses the whole datagram.
        {"R/85\\0.2/85\\9", "bad setting 85 value out of range"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.result, parsed(c.datagram)) << printable(c.datagram);
}

// The stand-in must read every command the catalogue builds under the catalogue's
// own names, at the value the command carries.
TEST(Il2SimParser, DecodesEveryCatalogueCommand) {
    Quorix app;
    ASSERT_EQ(14, app.ilDevices.iCount);
    for (int i = 0; i < app.ilDevices.iCount; ++i) {
        ILDevice* dev = app.ilDevices.apDevices[i];
        for (const auto& v : {std::make_pair(0, "-1.00"), std::make_pair(49, "-0.02"), std::make_pair(100, "1.00")}) {
            MyString cmd;
            dev->makeCommand(cmd, v.first);
            EXPECT_EQ(std::string(dev->sName.text()) + "=" + v.second + ";", parsed(cmd.text())) << cmd.text();
        }
    }
}

TEST(Il2SimParser, RandomBytesNeverBreakIt) {
    std::mt19937 rng(20240611u);
    const std::string alphabet = "R/\\0123456789.-+eE A";
    const std::string seeds[] = {"R/85\\-1.00/85\\0.20", "R/115/81\\-1.00/115/81\\0.50", "R/2", "R/6\\81"};
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string d;
        if (round % 2 == 0) {  // raw bytes, up to beyond the limit
            d.resize(rng() % 600);
            for (char& c : d) c = static_cast<char>(rng() & 0xFF);
        } else {  // a valid datagram with bytes changed, cut or appended
            d = seeds[rng() % 4];
            for (int k = rng() % 3; k > 0; --k) d[rng() % d.size()] = alphabet[rng() % alphabet.size()];
            if (rng() % 4 == 0) d.resize(rng() % (d.size() + 1));
            if (rng() % 4 == 0) d += seeds[rng() % 4].substr(1);
        }
        Il2SimMessage m;
        if (parseDatagram(m, d.data(), d.size()) != 0) {
            ASSERT_FALSE(m.sError.empty()) << printable(d);
            ASSERT_TRUE(m.settings.empty() && m.queries.empty()) << printable(d);
            continue;
        }
        ++accepted;
        ASSERT_TRUE(m.sError.empty() && !m.items.empty());
        for (const auto& s : m.settings) ASSERT_TRUE(s.dValue >= -1.0 && s.dValue <= 1.0) << printable(d);
    }
    EXPECT_GT(accepted, 1000);  // the accepting path was taken too
}
