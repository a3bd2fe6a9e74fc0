#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/MyRegFuncs.h"
#include "support/ScratchKey.h"

namespace {
struct Raw {
    LONG lStatus;
    DWORD dwType;
    std::string sBytes;
};

Raw queryRaw(HKEY key, const char* name) {
    Raw r{0, 0, std::string()};
    DWORD size = 0;
    r.lStatus = RegQueryValueExA(key, name, nullptr, &r.dwType, nullptr, &size);
    if (r.lStatus != ERROR_SUCCESS) return r;
    r.sBytes.resize(size);
    r.lStatus = RegQueryValueExA(key, name, nullptr, &r.dwType, reinterpret_cast<BYTE*>(&r.sBytes[0]), &size);
    r.sBytes.resize(size);
    return r;
}

void putRaw(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
}

std::string dword(DWORD v) { return std::string(reinterpret_cast<const char*>(&v), 4); }

void counts(HKEY key, DWORD& subKeys, DWORD& values) {
    subKeys = values = 99;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                                              nullptr, nullptr, nullptr, nullptr));
}

// Creates path below key and gives it the named REG_SZ values.
void makeKey(HKEY key, const char* path, std::vector<std::string> valueNames) {
    HKEY k = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
    for (const std::string& n : valueNames) putRaw(k, n.c_str(), REG_SZ, std::string("v", 2));
    RegCloseKey(k);
}
}  // namespace

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(scratch.ok()); }
    HKEY& key() { return scratch.key(); }
    ScratchKey scratch;
};

TEST_F(Registry, WritersStoreTheFixedEncodings) {
    MyString text("abc"), empty(nullptr);
    const unsigned char blob[] = {0x00, 0xFF, 0x10};
    EXPECT_EQ(0, setRegistryInt(key(), "neg", -2));
    EXPECT_EQ(0, setRegistryInt(key(), "pos", 0x12345678));
    EXPECT_EQ(0, setRegistryBool(key(), "five", 5));
    EXPECT_EQ(0, setRegistryBool(key(), "zero", 0));
    EXPECT_EQ(0, setRegistryString(key(), "text", text));
    EXPECT_EQ(0, setRegistryString(key(), "empty", empty));
    EXPECT_EQ(0, setRegistryString(key(), "null", static_cast<const char*>(nullptr)));
    EXPECT_EQ(0, setRegistryDouble(key(), "half", 0.5, 2));
    EXPECT_EQ(0, setRegistryDouble(key(), "trunc", 2.9, 0));
    EXPECT_EQ(0, setRegistryDouble(key(), "negzero", -0.001, 2));
    EXPECT_EQ(0, setRegistryBinary(key(), "blob", blob, 3));
    EXPECT_EQ(0, setRegistryBinary(key(), "noblob", blob, 0));
    putRaw(key(), "retyped", REG_SZ, std::string("x", 2));
    EXPECT_EQ(0, setRegistryInt(key(), "retyped", 9));

    struct Case { const char* name; DWORD type; std::string bytes; };
    const Case cases[] = {
        {"neg", REG_DWORD, std::string("\xFE\xFF\xFF\xFF", 4)}, {"pos", REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
        {"five", REG_DWORD, dword(1)},                           {"zero", REG_DWORD, dword(0)},
        {"text", REG_SZ, std::string("abc", 4)},                 {"empty", REG_SZ, std::string(1, '\0')},
        {"null", REG_SZ, std::string(1, '\0')},                  {"half", REG_SZ, std::string("0.50", 5)},
        {"trunc", REG_SZ, std::string("2", 2)},                  {"negzero", REG_SZ, std::string("-0.00", 6)},
        {"blob", REG_BINARY, std::string("\x00\xFF\x10", 3)},    {"noblob", REG_BINARY, std::string()},
        {"retyped", REG_DWORD, dword(9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Raw r = queryRaw(key(), c.name);
        ASSERT_EQ(ERROR_SUCCESS, r.lStatus);
        EXPECT_EQ(c.type, r.dwType);
        EXPECT_EQ(c.bytes, r.sBytes);
    }

    double d = 0;
    getRegistryDouble(d, key(), "trunc", 7.0);
    EXPECT_EQ(2.0, d);
    MyString s("old");
    getRegistryString(s, key(), "empty", "def");
    EXPECT_STREQ("", s.text());
}

TEST_F(Registry, ReadersTakeOnlyTheirOwnType) {
    putRaw(key(), "sz7", REG_SZ, std::string("7", 2));
    putRaw(key(), "dw7", REG_DWORD, dword(7));
    putRaw(key(), "dw5", REG_DWORD, dword(5));
    putRaw(key(), "short", REG_DWORD, std::string("\x07\x00", 2));
    putRaw(key(), "bin4", REG_BINARY, dword(7));
    putRaw(key(), "xx", REG_SZ, std::string("xx", 3));
    putRaw(key(), "blank", REG_SZ, std::string(1, '\0'));
    putRaw(key(), "abc", REG_SZ, std::string("abc", 4));
    putRaw(key(), "num", REG_SZ, std::string("  -2.5e1x", 10));
    putRaw(key(), "zerobytes", REG_SZ, std::string());
    putRaw(key(), "unterminated", REG_SZ, std::string("1.5"));
    putRaw(key(), "expand", REG_EXPAND_SZ, std::string("%TEMP%\\q", 9));
    putRaw(key(), "multi", REG_MULTI_SZ, std::string("one\0two\0", 9));

    struct IntCase { const char* name; int value; };
    const IntCase ints[] = {{"missing", -1}, {"sz7", -1}, {"dw7", 7}, {"short", -1}, {"bin4", -1}};
    for (const IntCase& c : ints) {
        int out = 12345;
        EXPECT_EQ(0, getRegistryInt(out, key(), c.name, -1));
        EXPECT_EQ(c.value, out) << c.name;
    }

    struct BoolCase { const char* name; int def; int value; };
    const BoolCase bools[] = {{"dw5", 0, 1}, {"missing", 5, 1}, {"missing", 0, 0}, {"sz7", 0, 0}, {"blank", 7, 1}};
    for (const BoolCase& c : bools) {
        int out = 12345;
        EXPECT_EQ(0, getRegistryBool(out, key(), c.name, c.def));
        EXPECT_EQ(c.value, out) << c.name << " def " << c.def;
    }

    struct TextCase { const char* name; const char* value; };
    const TextCase texts[] = {
        {"missing", "def"}, {"dw7", "def"},          {"bin4", "def"},       {"zerobytes", "def"}, {"abc", "abc"},
        {"blank", ""},      {"expand", "%TEMP%\\q"}, {"multi", "one"},      {"unterminated", "1.5"},
    };
    for (const TextCase& c : texts) {
        MyString out("previous"), def("def");
        EXPECT_EQ(0, getRegistryString(out, key(), c.name, "def"));
        EXPECT_STREQ(c.value, out.text()) << c.name;
        MyString viaString("previous");
        getRegistryString(viaString, key(), c.name, def);
        EXPECT_STREQ(c.value, viaString.text()) << c.name;
    }
    MyString self("self");  // the default may be the output itself
    getRegistryString(self, key(), "missing", self);
    EXPECT_STREQ("self", self.text());

    struct DoubleCase { const char* name; double value; };
    const DoubleCase doubles[] = {{"missing", 3.5}, {"dw7", 3.5},  {"zerobytes", 3.5}, {"xx", 3.5},
                                  {"blank", 0.0},   {"abc", 0.0},  {"num", -25.0},     {"unterminated", 1.5}};
    for (const DoubleCase& c : doubles) {
        double out = 12345;
        EXPECT_EQ(0, getRegistryDouble(out, key(), c.name, 3.5));
        EXPECT_EQ(c.value, out) << c.name;
    }
}

TEST_F(Registry, BinaryReadsAtMostTheBufferSize) {
    const std::string ten("0123456789"), twenty("ABCDEFGHIJKLMNOPQRST");
    putRaw(key(), "ten", REG_BINARY, ten);
    putRaw(key(), "twenty", REG_BINARY, twenty);
    putRaw(key(), "sixteen", REG_BINARY, twenty.substr(0, 16));
    putRaw(key(), "text", REG_SZ, std::string("abc", 4));
    const std::string def("dddddddddddddddd");

    struct Case { const char* name; bool withDef; std::string want; };
    const Case cases[] = {
        {"ten", true, "0123456789dddddd"},  {"twenty", true, def},          {"sixteen", true, "ABCDEFGHIJKLMNOP"},
        {"text", true, def},                {"missing", true, def},         {"missing", false, "pppppppppppppppp"},
        {"ten", false, "0123456789pppppp"}, {"twenty", false, "pppppppppppppppp"},
    };
    for (const Case& c : cases) {
        std::string out(16, 'p');
        EXPECT_EQ(0, getRegistryBinary(&out[0], 16, key(), c.name, c.withDef ? def.data() : nullptr));
        EXPECT_EQ(c.want, out) << c.name << (c.withDef ? " with default" : " without default");
    }
}

TEST_F(Registry, NullKeyReadsDefaultsAndRefusesWrites) {
    HKEY none = nullptr;
    int i = 0;
    double d = 0;
    MyString s(nullptr);
    getRegistryInt(i, none, "a", 4);
    getRegistryDouble(d, none, "a", 1.25);
    getRegistryString(s, none, "a", "def");
    EXPECT_EQ(4, i);
    EXPECT_EQ(1.25, d);
    EXPECT_STREQ("def", s.text());
    EXPECT_EQ(1, setRegistryInt(none, "a", 1));
    EXPECT_EQ(1, setRegistryString(none, "a", "x"));
    MyStringArray names;
    EXPECT_EQ(1, enumRegKeys(&names, none));
    EXPECT_EQ(1, clearRegistryKey(none));
}

TEST_F(Registry, OpenCreateClose) {
    MyString deep(scratch.path());
    deep.append("\\a\\b\\c");
    HKEY k = reinterpret_cast<HKEY>(static_cast<intptr_t>(0x1234));
    EXPECT_EQ(1, openRegistryKey(HKEY_CURRENT_USER, deep, 0, KEY_ALL_ACCESS, &k));
    EXPECT_EQ(nullptr, k);

    EXPECT_EQ(0, createRegistryKeyIfNotExists(HKEY_CURRENT_USER, deep));
    ASSERT_EQ(0, openRegistryKey(HKEY_CURRENT_USER, deep, 0, KEY_ALL_ACCESS, &k));
    ASSERT_NE(nullptr, k);
    EXPECT_EQ(0, setRegistryInt(k, "kept", 3));
    EXPECT_EQ(0, closeRegistryKey(k));
    EXPECT_EQ(nullptr, k);
    EXPECT_EQ(0, closeRegistryKey(k));  // null: nothing to close
    EXPECT_EQ(nullptr, k);

    EXPECT_EQ(0, createRegistryKeyIfNotExists(HKEY_CURRENT_USER, deep));  // existing: left as it is
    ASSERT_EQ(0, openRegistryKey(HKEY_CURRENT_USER, deep, 0, KEY_ALL_ACCESS, &k));
    int v = 0;
    getRegistryInt(v, k, "kept", 0);
    EXPECT_EQ(3, v);
    EXPECT_EQ(0, closeRegistryKey(k));
}

TEST_F(Registry, EnumRegKeysAppendsBehindExistingEntries) {
    MyStringArray names;
    names.add(new MyString("front"));
    EXPECT_EQ(0, enumRegKeys(&names, key()));
    EXPECT_EQ(1, names.iCount);

    makeKey(key(), "k2", {});
    makeKey(key(), "k1", {});
    makeKey(key(), "a-rather-longer-name\\below", {});
    EXPECT_EQ(0, enumRegKeys(&names, key()));
    ASSERT_EQ(4, names.iCount);
    EXPECT_STREQ("front", names.apItems[0]->text());
    for (int i = 1; i < 4; ++i) {
        char name[64] = {};
        DWORD len = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS, RegEnumKeyExA(key(), static_cast<DWORD>(i - 1), name, &len, nullptr, nullptr,
                                               nullptr, nullptr));
        EXPECT_STREQ(name, names.apItems[i]->text());
    }
}

TEST_F(Registry, ClearRemovesEverythingAtAnyDepth) {
    // Value names far longer than any sub-key name, and in B a sub-key name longer
    // than its value names: the one name buffer must fit both kinds.
    const std::string longName(300, 'v');
    makeKey(key(), "", {"", "one", longName});
    makeKey(key(), "A", {"x", longName + "A"});
    makeKey(key(), "A\\deep", {"y"});
    makeKey(key(), "A\\deep\\deeper", {longName});
    makeKey(key(), "B", {"z"});
    makeKey(key(), "B\\sub", {});
    DWORD subKeys, values;
    counts(key(), subKeys, values);
    ASSERT_EQ(2u, subKeys);
    ASSERT_EQ(3u, values);

    EXPECT_EQ(0, clearRegistryKey(key()));
    counts(key(), subKeys, values);
    EXPECT_EQ(0u, subKeys);
    EXPECT_EQ(0u, values);
    EXPECT_EQ(0, clearRegistryKey(key()));  // already empty
    EXPECT_EQ(0, setRegistryInt(key(), "still-usable", 1));
}

TEST(ScratchKeyHelper, RemovesItsKeyWithEverythingBelow) {
    MyString path(nullptr);
    {
        ScratchKey scratch("ScratchSelfTest");
        ASSERT_TRUE(scratch.ok());
        path = scratch.path();
        makeKey(scratch.key(), "sub\\subsub", {"v"});
    }
    HKEY k = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CURRENT_USER, path.text(), 0, KEY_READ, &k));
}
