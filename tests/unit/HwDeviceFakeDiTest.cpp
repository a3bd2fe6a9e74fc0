// The DirectInput stand-in that device and discovery tests rely on: if it
// enumerated too much or ignored DIENUM_STOP, those tests would pass wrongly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/FakeDirectInput.h"

namespace {

struct Seen {
    std::vector<std::string> names;
    size_t stopAfter = 100;
};

BOOL CALLBACK collect(LPCDIDEVICEINSTANCEA inst, LPVOID ref) {
    Seen* seen = static_cast<Seen*>(ref);
    seen->names.push_back(inst->tszInstanceName);
    return seen->names.size() >= seen->stopAfter ? DIENUM_STOP : DIENUM_CONTINUE;
}

TEST(FakeDirectInputStandIn, EnumeratesPluggedGameControllersUntilStopped) {
    FakeDirectInput di;
    di.addController(fakeGuid(1), "A", "pa");
    int b = di.addController(fakeGuid(2), "B", "pb");
    di.addController(fakeGuid(3), "C", "pc");
    const struct { DWORD cls, flags; size_t stopAfter; std::vector<std::string> expected; } cases[] = {
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY, 100, {"A", "B", "C"}},
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY, 2, {"A", "B"}},
        {DI8DEVCLASS_ALL, DIEDFL_ATTACHEDONLY, 100, {}},
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ALLDEVICES, 100, {}},
    };
    for (const auto& c : cases) {
        Seen seen;
        seen.stopAfter = c.stopAfter;
        EXPECT_EQ(DI_OK, di.EnumDevices(c.cls, collect, &seen, c.flags));
        EXPECT_EQ(c.expected, seen.names);
    }
    di.unplug(b);
    Seen seen;
    EXPECT_EQ(DI_OK, di.EnumDevices(DI8DEVCLASS_GAMECTRL, collect, &seen, DIEDFL_ATTACHEDONLY));
    EXPECT_EQ((std::vector<std::string>{"A", "C"}), seen.names);
    IDirectInputDevice8A* dev = reinterpret_cast<IDirectInputDevice8A*>(1);
    EXPECT_EQ(DIERR_DEVICENOTREG, di.CreateDevice(fakeGuid(2), &dev, nullptr));
    EXPECT_EQ(nullptr, dev);
}

}  // namespace
