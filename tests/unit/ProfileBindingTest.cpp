#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "app/Quorix.h"
#include "hw/HwDevice.h"
#include "profile/Profile.h"

namespace {

struct Assign { IdILDevice control; GUID guid; int axis; };  // int axis: the registry may hold anything

// Control bound to each of the eight axes (IDIL_NONE: unbound).
typedef std::vector<IdILDevice> AxisControls;

const GUID kDev = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 8}};

class ProfileBindingTest : public ::testing::Test {
protected:
    ProfileBindingTest() : list(app), dev(app) { dev.guid = kDev; }

    ProfileDev2Axis* item(IdILDevice id) {
        ProfileDev2Axis* p = nullptr;
        list.find(p, id);
        return p;
    }
    void assign(const Assign& a) {
        ProfileDev2Axis* p = item(a.control);
        ASSERT_NE(nullptr, p);
        p->guidHwDev = a.guid;
        p->idAxis = static_cast<IdHwAxis>(a.axis);
    }
    // Each axis's control, checked against the assignment that carries it.
    void expectAxes(const AxisControls& want) {
        AxisControls got;
        for (const HwAxis& ax : dev.axes) {
            IdILDevice id = ax.pILDevice ? ax.pILDevice->id : IDIL_NONE;
            EXPECT_EQ(id == IDIL_NONE ? nullptr : item(id), ax.pDev2Axis) << "axis " << got.size() + 1;
            got.push_back(id);
        }
        EXPECT_EQ(want, got);
    }

    Quorix app;
    ProfileDev2AxisArray list;
    HwDevice dev;
};


struct BindCase { const char* name; std::vector<Assign> assigns; int bInUse; AxisControls axes; };

TEST_F(ProfileBindingTest, BindingRules) {
    const GUID me = kDev;
    const GUID lastByteOff = {0x11223344, 0x5566, 0x7788, {1, 2, 3, 4, 5, 6, 7, 9}};
    const IdILDevice N = IDIL_NONE;
    const BindCase cases[] = {
        {"nothing assigned", {}, 0, {N, N, N, N, N, N, N, N}},
        {"one axis", {{IDIL_RUDDER, me, HWA_Z}}, 1, {N, N, IDIL_RUDDER, N, N, N, N, N}},
        {"guid differs in last byte", {{IDIL_RUDDER, lastByteOff, HWA_Z}}, 0, {N, N, N, N, N, N, N, N}},
        {"axis none on this device", {{IDIL_RUDDER, me, HWA_NONE}}, 0, {N, N, N, N, N, N, N, N}},
        {"later control on the same axis wins",
         {{IDIL_AILERONS, me, HWA_Z}, {IDIL_RUDDER, me, HWA_Z}, {IDIL_FLAPS, me, HWA_X}},
         1, {IDIL_FLAPS, N, IDIL_RUDDER, N, N, N, N, N}},
        {"axis above 8 marks in use only", {{IDIL_RUDDER, me, 9}}, 1, {N, N, N, N, N, N, N, N}},
        {"most negative axis", {{IDIL_RUDDER, me, INT_MIN}}, 1, {N, N, N, N, N, N, N, N}},
    };
    for (const BindCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (int i = 0; i < list.count; ++i) list.items[i]->detach();
        for (const Assign& a : c.assigns) assign(a);
        // A binding of an earlier profile must not survive.
        dev.bInUse = 1 - c.bInUse;
        for (HwAxis& ax : dev.axes) ax.pDev2Axis = list.items[13], ax.pILDevice = app.ilDevices.apDevices[13];
        EXPECT_EQ(0, list.applyToHwDevice(&dev));
        EXPECT_EQ(c.bInUse, dev.bInUse);
        expectAxes(c.axes);
    }
}

}  // namespace
