#include <gtest/gtest.h>

#include <string>

#include "base/MyString.h"

namespace {
// The bytes of s, inner NULs included.
std::string bytes(MyString& s) {
    char* p = s.lock();
    std::string r = p ? std::string(p, s.size()) : std::string();
    s.unlock();
    return r;
}
}  // namespace

TEST(MyString, NullTextIsEmptyWithSpareRoom) {
    MyString s(nullptr);
    EXPECT_EQ(0u, s.size());
    EXPECT_EQ(16u, s.capacity());
    char* p = s.lock();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ('\0', p[0]);
    s.unlock();
}

TEST(MyString, LocksNestAndWritesThroughTheLockStay) {
    MyString s("abc");
    char* p = s.lock();
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(p, s.lock());
    EXPECT_EQ('\0', p[3]);
    p[0] = 'X';
    s.unlock();
    s.unlock();
    s.unlock();  // one too many must not disturb the string
    EXPECT_STREQ("Xbc", s.text());
    EXPECT_EQ(3u, s.size());
}

TEST(MyString, CapacityFollowsSetAndGrowsOnlyWhenOutgrown) {
    MyString s("abcdefghijklmnopqrstuvwx");  // 24 characters
    EXPECT_EQ(40u, s.capacity());
    s.set("hello");
    EXPECT_EQ(21u, s.capacity());  // shrinks to the text plus 16
    EXPECT_STREQ("hello", s.text());

    char* before = s.lock();
    s.unlock();
    s.append("0123456789abcdef");  // 21 characters: exactly full
    EXPECT_EQ(21u, s.capacity());
    char* after = s.lock();
    s.unlock();
    EXPECT_EQ(before, after);

    s.append('!');  // outgrows: length 22 plus 16 spare
    EXPECT_EQ(22u, s.size());
    EXPECT_EQ(38u, s.capacity());
    EXPECT_STREQ("hello0123456789abcdef!", s.text());
    s.set(nullptr);
    EXPECT_EQ(0u, s.size());
    EXPECT_EQ(16u, s.capacity());
}

TEST(MyString, AppendForms) {
    MyString s(nullptr);
    s.append("abc").append(static_cast<unsigned char>('x')).append(static_cast<unsigned char>(0));
    s.append(static_cast<unsigned char>(0xE9));
    EXPECT_EQ("abcx\xE9", bytes(s));

    MyString t(nullptr), dash("-");
    t.append("abcdef", 2, 3);
    t.append(static_cast<const char*>(nullptr)).append(nullptr, 0, 5).append("zz", 0, 0);
    EXPECT_EQ("cde", bytes(t));
    t += "fg";
    t += dash;
    t.appendVal(-12).append("!");
    EXPECT_EQ("cdefg--12!", bytes(t));
}

TEST(MyString, CountedAppendKeepsInnerNulButTextFormsStopThere) {
    MyString s(nullptr);
    s.append("a\0b", 3);
    EXPECT_EQ(std::string("a\0b", 3), bytes(s));

    MyString copy(s), assigned("zzzz");
    assigned = s;
    EXPECT_EQ("a", bytes(copy));
    EXPECT_EQ("a", bytes(assigned));
    EXPECT_EQ(1, s == "a");  // comparison sees the text up to the NUL

    MyString t("x");
    t.append(s);  // the string form appends size() bytes
    EXPECT_EQ(std::string("xa\0b", 4), bytes(t));
}

TEST(MyString, AppendAndSetFromItsOwnText) {
    MyString s("0123456789abcdefghij");  // 20 characters, capacity 36
    s.append(s.text(), 4, 16);            // fits
    EXPECT_EQ("0123456789abcdefghij456789abcdefghij", bytes(s));
    s.append(s);  // outgrows while its source is the block being moved
    EXPECT_EQ("0123456789abcdefghij456789abcdefghij0123456789abcdefghij456789abcdefghij", bytes(s));

    MyString h("hello world");
    h.set(h.text());
    EXPECT_STREQ("hello world", h.text());
    h.set(h.text() + 6);  // the capacity changes, so the block moves under its source
    EXPECT_STREQ("world", h.text());
    h = h;
    h = h.text() + 1;
    EXPECT_STREQ("orld", h.text());
}

TEST(MyString, AppendWhoseLengthWouldWrapIsDropped) {
    MyString s("abc");
    // size + count + 16 spare passes 32 bits: a wrapped block size would be overrun.
    s.append("xyz", 0, 0xFFFFFFF0UL);
    EXPECT_EQ("abc", bytes(s));
    EXPECT_EQ(19u, s.capacity());
}

TEST(MyString, ComparisonIsCaseSensitiveAndNullEqualsEmpty) {
    struct Case { const char* a; const char* b; bool equal; };
    const Case cases[] = {
        {nullptr, nullptr, true}, {"", nullptr, true},     {"a", nullptr, false}, {"Abc", "abc", false},
        {"abc", "abc", true},     {"abc", "abcd", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a ? c.a : "(null)") + " vs " + (c.b ? c.b : "(null)"));
        MyString a(c.a), b(c.b);
        EXPECT_EQ(c.equal ? 1 : 0, a == c.b);
        EXPECT_EQ(c.equal ? 1 : 0, a == b);
        EXPECT_EQ(c.equal, (a != c.b) == 0);
        EXPECT_EQ(c.equal, (a != b) == 0);
    }
    MyString a("a");
    EXPECT_LT(a != "b", 0);  // != gives the StrCmp result itself
    EXPECT_GT(a != "", 0);
}

TEST(StrCmp, NullTextsAndUnsignedBytes) {
    EXPECT_EQ(0, StrCmp(nullptr, nullptr));
    EXPECT_EQ(0, StrCmp(nullptr, ""));
    EXPECT_EQ(0, StrCmp("", nullptr));
    EXPECT_EQ(-'b', StrCmp(nullptr, "b"));
    EXPECT_EQ('a', StrCmp("a", nullptr));
    EXPECT_LT(StrCmp("a", "b"), 0);
    EXPECT_GT(StrCmp("\xE9", "a"), 0);
    EXPECT_LT(StrCmp(nullptr, "\xE9"), 0);
    EXPECT_EQ(0u, StrLen(nullptr));
    EXPECT_EQ(3u, StrLen("abc"));
}

TEST(StringEmpty, OnlyTabLfCrAndSpaceAreBlank) {
    struct Case { const char* text; int empty; };
    const Case cases[] = {{nullptr, 1}, {"", 1},      {" \t\r\n", 1}, {"\v", 0},
                          {"\f", 0},    {"  a ", 0},  {"\xA0", 0},    {"\t0", 0}};
    for (const Case& c : cases) {
        MyString s(c.text);
        EXPECT_EQ(c.empty, StringEmpty(c.text)) << (c.text ? c.text : "(null)");
        EXPECT_EQ(c.empty, StringEmpty(s)) << (c.text ? c.text : "(null)");
    }
}

TEST(MyStringArray, AddGetRemoveAll) {
    MyStringArray a;
    MyString* p = nullptr;
    EXPECT_EQ(1, a.get(p, 0));
    EXPECT_EQ(0, a.add(new MyString("one")));
    EXPECT_EQ(0, a.add(new MyString("two")));
    EXPECT_EQ(0, a.add(nullptr));
    EXPECT_EQ(3, a.iCount);
    ASSERT_EQ(0, a.get(p, 0));
    EXPECT_STREQ("one", p->text());
    ASSERT_EQ(0, a.get(p, 1));
    EXPECT_STREQ("two", p->text());
    EXPECT_EQ(2, a.get(p, 2));
    EXPECT_EQ(1, a.get(p, 3));
    EXPECT_EQ(1, a.get(p, -1));

    a.removeAll();
    EXPECT_EQ(0, a.iCount);
    EXPECT_EQ(nullptr, a.apItems);
    EXPECT_EQ(1, a.get(p, 0));
    EXPECT_EQ(0, a.add(new MyString("again")));
    ASSERT_EQ(0, a.get(p, 0));
    EXPECT_STREQ("again", p->text());
}
