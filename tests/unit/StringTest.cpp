#include <gtest/gtest.h>

#include "base/MyString.h"

TEST(Smoke, Builds) { MyString s("a"); EXPECT_EQ(1u, s.size()); }
