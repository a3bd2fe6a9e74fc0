#pragma once
// The fixture of the tests on a running application object: empty test settings before and
// after, and assignments bound as the dialog binds them.
#include <gtest/gtest.h>

#include "support/AppHarness.h"

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
