#include <gtest/gtest.h>

#include "app/Quorix.h"
#include "profile/Profile.h"

namespace {

// A deleted profile's name stays taken: its key is pruned only at the next save.
TEST(ProfileArrayTest, DoubleNamesIgnoreLetterCaseAndIncludeDeleted) {
    Quorix app;
    ProfileArray list(app);
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        Profile* p = new Profile(app);
        p->name = name;
        ASSERT_EQ(0, list.add(p));
    }
    Profile* alpha = list.items[0];
    list.items[1]->bDeleted = 1;
    const struct { const char* name; Profile* exclude; int bDouble; } cases[] = {
        {"ALPHA", nullptr, 1}, {"alpha", alpha, 0}, {"beta", nullptr, 1}, {"Beta", alpha, 1},
        {"Alph", nullptr, 0},  {"Alpha ", nullptr, 0}, {"", nullptr, 0},
    };
    for (const auto& c : cases) {
        MyString name(c.name);
        int bDouble = 7;
        EXPECT_EQ(0, list.checkDoubleName(bDouble, name, c.exclude));
        EXPECT_EQ(c.bDouble, bDouble) << '"' << c.name << "\" excluding " << (c.exclude ? "Alpha" : "none");
    }
}

}  // namespace
