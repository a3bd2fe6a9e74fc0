#include <gtest/gtest.h>

#include <string>

#include "base/MyRegFuncs.h"
#include "support/ScratchKey.h"
#include "support/Seeding.h"

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }
    HKEY& key() { return scratch.key(); }
    std::string path() { return scratch.path().text(); }
    void putRaw(const char* name, DWORD type, const std::string& bytes) { regWrite(path(), name, type, bytes); }
    ScratchKey scratch;
};

// Each class's values stored and stored again are the damaged-settings test's; here
// the encodings no stored setting shows there and the edges.
TEST_F(Registry, WritersStoreTheFixedEncodings) {
    MyString empty(nullptr);
    const unsigned char blob[] = {0x00};
    putRaw("retyped", REG_SZ, std::string("x", 2));
    EXPECT_EQ(0, setRegistryInt(key(), "neg", -2) | setRegistryBool(key(), "five", 5) |
                     setRegistryDouble(key(), "trunc", 2.9, 0) | setRegistryString(key(), "empty", empty) |
                     setRegistryString(key(), "null", static_cast<const char*>(nullptr)) |
                     setRegistryDouble(key(), "negzero", -0.001, 2) | setRegistryBinary(key(), "noblob", blob, 0) |
                     setRegistryInt(key(), "retyped", 9));
    const std::pair<const char*, RegValue> cases[] = {
        {"neg", dwordValue(DWORD(-2))}, {"five", dwordValue(1)},   {"trunc", textValue("2")},
        {"empty", textValue("")},       {"null", textValue("")},   {"negzero", textValue("-0.00")},
        {"noblob", {REG_BINARY, ""}},   {"retyped", dwordValue(9)},
    };
    for (const auto& c : cases) EXPECT_EQ(c.second, regRead(path(), c.first)) << c.first;
}

TEST_F(Registry, ReadersTakeOnlyTheirOwnType) {
    const std::pair<const char*, RegValue> stored[] = {
        {"sz7", textValue("7")},     {"dw7", dwordValue(7)}, {"dw5", dwordValue(5)},
        {"short", {REG_DWORD, std::string("\x07\x00", 2)}}, {"bin4", {REG_BINARY, dwordValue(7).second}},
        {"xx", textValue("xx")},     {"blank", textValue("")}, {"abc", textValue("abc")},
        {"num", textValue("  -2.5e1x")}, {"zerobytes", {REG_SZ, ""}}, {"unterminated", {REG_SZ, "1.5"}},
        {"expand", {REG_EXPAND_SZ, std::string("%TEMP%\\q", 9)}},
        {"multi", {REG_MULTI_SZ, std::string("one\0two\0", 9)}}};
    for (const auto& v : stored) putRaw(v.first, v.second.first, v.second.second);

    const struct { const char* name; int value; } ints[] = {
        {"missing", -1}, {"sz7", -1}, {"dw7", 7}, {"short", -1}, {"bin4", -1}};
    for (const auto& c : ints) {
        int out = 12345;
        EXPECT_EQ(0, getRegistryInt(out, key(), c.name, -1));
        EXPECT_EQ(c.value, out) << c.name;
    }

    const struct { const char* name; int def; int value; } bools[] = {
        {"dw5", 0, 1}, {"missing", 5, 1}, {"missing", 0, 0}, {"sz7", 0, 0}, {"blank", 7, 1}};
    for (const auto& c : bools) {
        int out = 12345;
        EXPECT_EQ(0, getRegistryBool(out, key(), c.name, c.def));
        EXPECT_EQ(c.value, out) << c.name << " def " << c.def;
    }

    const struct { const char* name; const char* value; } texts[] = {
        {"missing", "def"}, {"dw7", "def"},          {"bin4", "def"},       {"zerobytes", "def"}, {"abc", "abc"},
        {"blank", ""},      {"expand", "%TEMP%\\q"}, {"multi", "one"},      {"unterminated", "1.5"},
    };
    for (const auto& c : texts) {
        MyString out("previous");
        EXPECT_EQ(0, getRegistryString(out, key(), c.name, "def"));
        EXPECT_STREQ(c.value, out.text()) << c.name;
    }
    MyString self("self");  // the default may be the output itself (the other overload)
    getRegistryString(self, key(), "missing", self);
    EXPECT_STREQ("self", self.text());

    const struct { const char* name; double value; } doubles[] = {{"missing", 3.5}, {"dw7", 3.5}, {"zerobytes", 3.5},
        {"xx", 3.5}, {"blank", 0.0}, {"abc", 0.0}, {"num", -25.0}, {"unterminated", 1.5}};
    for (const auto& c : doubles) {
        double out = 12345;
        EXPECT_EQ(0, getRegistryDouble(out, key(), c.name, 3.5));
        EXPECT_EQ(c.value, out) << c.name;
    }
}

TEST_F(Registry, BinaryReadsAtMostTheBufferSize) {
    const std::string twenty("ABCDEFGHIJKLMNOPQRST"), def(16, 'd');
    putRaw("ten", REG_BINARY, "0123456789");
    putRaw("twenty", REG_BINARY, twenty);
    putRaw("sixteen", REG_BINARY, twenty.substr(0, 16));
    putRaw("text", REG_SZ, std::string("abc", 4));
    const struct { const char* name; bool withDef; std::string want; } cases[] = {
        {"ten", true, "0123456789dddddd"},  {"twenty", true, def},          {"sixteen", true, "ABCDEFGHIJKLMNOP"},
        {"text", true, def},                {"missing", true, def},         {"missing", false, "pppppppppppppppp"},
        {"ten", false, "0123456789pppppp"}, {"twenty", false, "pppppppppppppppp"},
    };
    for (const auto& c : cases) {
        std::string out(16, 'p');
        EXPECT_EQ(0, getRegistryBinary(&out[0], 16, key(), c.name, c.withDef ? def.data() : nullptr));
        EXPECT_EQ(c.want, out) << c.name << (c.withDef ? " with default" : " without default");
    }
}

// A sub-key that cannot be opened leaves a null key to the writers (no reader gets one).
TEST_F(Registry, NullKeyRefusesWrites) {
    HKEY none = nullptr;
    MyStringArray names;
    for (int status : {setRegistryInt(none, "a", 1), setRegistryString(none, "a", "x"), enumRegKeys(&names, none),
                       clearRegistryKey(none)})
        EXPECT_EQ(1, status);
}

TEST_F(Registry, ClearReportsValuesItCannotDelete) {
    for (const char* sub : {"", "\\Sub"}) {  // values only, then a sub-key too
        regWrite(path() + sub, "kept", REG_DWORD, dwordValue(1).second);
        HKEY readOnly = nullptr;  // a handle without the right to delete values
        ASSERT_EQ(0, openRegistryKey(HKEY_CURRENT_USER, scratch.path(), 0, KEY_READ, &readOnly));
        EXPECT_EQ(6, clearRegistryKey(readOnly)) << sub;
        closeRegistryKey(readOnly);
        EXPECT_EQ(dwordValue(1), regRead(path(), "kept")) << sub;
    }
}
