#include <gtest/gtest.h>

#include "app/Quorix.h"
#include "profile/Profile.h"

namespace {

class ProfileArrayTest : public ::testing::Test {
protected:
    ProfileArrayTest() : list(app) {}
    Profile* addProfile(const char* name, int bDeleted = 0) {
        Profile* p = new Profile(app);
        p->name = name;
        p->bDeleted = bDeleted;
        EXPECT_EQ(0, list.add(p));
        return p;
    }

    Quorix app;
    ProfileArray list;
};

TEST_F(ProfileArrayTest, DoubleNamesIgnoreLetterCaseAndIncludeDeleted) {
    Profile* alpha = addProfile("Alpha");
    addProfile("Beta", 1);
    addProfile("Gamma");
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

TEST_F(ProfileArrayTest, FirstNonDeletedAndCount) {
    Profile* out = nullptr;
    int n = -1;
    EXPECT_EQ(1, list.getFirstNonDeleted(out, nullptr));
    EXPECT_EQ(0, list.countNonDeleted(n) + n);

    addProfile("Gone", 1);
    Profile* b = addProfile("B");
    Profile* c = addProfile("C");
    EXPECT_EQ(0, list.getFirstNonDeleted(out, nullptr));
    EXPECT_EQ(b, out);
    EXPECT_EQ(0, list.getFirstNonDeleted(out, b));
    EXPECT_EQ(c, out);
    EXPECT_EQ(0, list.countNonDeleted(n));
    EXPECT_EQ(2, n);

    // The only profile left may not replace itself.
    c->bDeleted = 1;
    EXPECT_EQ(0, list.countNonDeleted(n));
    EXPECT_EQ(1, n);
    out = c;
    EXPECT_EQ(1, list.getFirstNonDeleted(out, b));
    EXPECT_EQ(nullptr, out);
}

}  // namespace
