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
    list.items[1]->bDeleted = 1;
    // Excluding a profile's own name: the dialog's name prompt test.
    const struct { const char* name; int bDouble; } cases[] = {
        {"ALPHA", 1}, {"beta", 1}, {"Alph", 0}, {"Alpha ", 0}, {"", 0}};
    for (const auto& c : cases) {
        MyString name(c.name);
        int bDouble = 7;
        EXPECT_EQ(0, list.checkDoubleName(bDouble, name, nullptr));
        EXPECT_EQ(c.bDouble, bDouble) << '"' << c.name << '"';
    }
}

}  // namespace
