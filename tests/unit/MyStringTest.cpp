#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/MyString.h"

namespace {
std::string bytes(const MyString& s) { return std::string(s.text(), s.size()); }
}  // namespace

// The block grows only when outgrown; the exactly full block must still hold the NUL.
TEST(MyString, GrowsOnlyWhenOutgrownAndDropsAnAppendWhoseLengthWouldWrap) {
    MyString s("abcdefghijklmnopqrstuvwx");
    s.set("hello");
    const char* before = s.text();
    s.append("0123456789abcdef");  // exactly full: the block stays
    EXPECT_EQ(before, s.text());
    s.append('!');
    EXPECT_EQ("hello0123456789abcdef!", bytes(s));
    MyString w("abc");
    w.append("xyz", 0, 0xFFFFFFF0UL);  // size + count + 16 passes 32 bits
    EXPECT_EQ("abc", bytes(w));
    EXPECT_EQ(19u, w.capacity());
}

TEST(MyString, AppendFormsAndInnerNul) {
    MyString t(nullptr), dash("-");
    t.append("abcdef", 2, 3).append(static_cast<const char*>(nullptr)).append(nullptr, 0, 5).append("zz", 0, 0);
    t += "fg";
    t += dash;
    t.appendVal(-12).append(static_cast<unsigned char>(0xE9)).append(static_cast<unsigned char>(0));
    EXPECT_EQ("cdefg--12\xE9", bytes(t));
    MyString s(nullptr);
    s.append("a\0b", 3);  // counted forms keep the NUL, text forms stop there
    MyString copy(s), x("x");
    x.append(s);
    EXPECT_EQ("a", bytes(copy));
    EXPECT_EQ(std::string("xa\0b", 4), bytes(x));
    EXPECT_EQ(1, s == "a");
}

TEST(MyString, AppendAndSetFromItsOwnText) {
    MyString s("0123456789abcdefghij"), h("hello world");
    s.append(s.text(), 4, 16);
    s.append(s);  // outgrows while its source is the block being moved
    EXPECT_EQ("0123456789abcdefghij456789abcdefghij0123456789abcdefghij456789abcdefghij", bytes(s));
    h.set(h.text() + 6);
    h = h;
    h = h.text() + 1;
    EXPECT_EQ("orld", bytes(h));
}

TEST(MyString, ComparisonIsCaseSensitiveOnUnsignedBytesAndNullIsEmpty) {
    const struct { const char* a; const char* b; int sign; } cases[] = {{nullptr, nullptr, 0}, {"", nullptr, 0},
        {"a", nullptr, 1}, {nullptr, "b", -1}, {"Abc", "abc", -1}, {"abc", "abc", 0}, {"abc", "abcd", -1},
        {"\xE9", "a", 1}};
    auto sign = [](int r) { return (r > 0) - (r < 0); };
    for (const auto& c : cases)
        EXPECT_EQ(c.sign, sign(StrCmp(c.a, c.b))) << (c.a ? c.a : "(null)") << " vs " << (c.b ? c.b : "(null)");
}

TEST(StringEmpty, OnlyTabLfCrAndSpaceAreBlank) {
    const struct { const char* text; int empty; } cases[] = {
        {nullptr, 1}, {"", 1}, {" \t\r\n", 1}, {"\v", 0}, {"\f", 0}, {"  a ", 0}, {"\xA0", 0}};
    for (const auto& c : cases) EXPECT_EQ(c.empty, StringEmpty(c.text)) << (c.text ? c.text : "(null)");
}

// A field of size bytes gets whole characters of the code page: in 932, 0x83 0x5C is one (its second byte "\").
TEST(StrCopyCut, FillsTheFieldWithWholeCharactersOfTheCodePage) {
    const struct { const char* text; unsigned long size; unsigned cp; const char* out; } cases[] = {
        {"abcd", 4, 1252, "abc"}, {"a\x83\x5C", 3, 1252, "a\x83"}, {"a\x83\x5C", 3, 932, "a"}, {nullptr, 4, 0, ""}};
    for (const auto& c : cases) {
        char out[8];
        EXPECT_EQ(strlen(c.out), StrCopyCut(out, c.size, c.text, c.cp)) << c.out;
        EXPECT_STREQ(c.out, out);
    }
}
