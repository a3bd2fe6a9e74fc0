#pragma once
// The fixture of the tests on a running application object: empty test settings before and
// after, and assignments bound as the dialog binds them.
#include <gtest/gtest.h>

#include "support/AppHarness.h"

// The frame window's procedure keeps a pointer to the last application object and reads it on a
// new frame window's first messages, before WM_CREATE renews it. Memory given back to the system
// there makes the next start fail (CreateWindowEx, error 1400): a harness lives in a fixture or on
// the stack, whose memory stays mapped, not in a heap block of its own.
class AppTest : public ::testing::Test {
protected:
    AppTest() { deleteTestSettings(); }
    ~AppTest() override {
        h.quit();  // which saves the settings
        deleteTestSettings();
    }
    // Assigns axis of controller fakeGuid(fill) to control id in the active profile and binds it.
    ProfileDev2Axis* bind(IdILDevice id, IdHwAxis axis, unsigned char fill = 10) {
        ProfileDev2Axis* d2a = nullptr;
        GUID g = fakeGuid(fill);
        EXPECT_EQ(0, h.app.pActProfile->findByILDev(d2a, id));
        EXPECT_EQ(0, d2a->attach(g, axis));
        EXPECT_EQ(0, h.app.reapplyProfile());
        return d2a;
    }

    AppHarness h;
};
