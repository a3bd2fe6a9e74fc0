#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/Quorix.h"
#include "profile/ProfileDev2Axis.h"

namespace {

const char* const kKey = "Software\\Velmora\\QuorixTest-Dev2Axis";

class ProfileDev2AxisRegistryTest : public ::testing::Test {
protected:
    ProfileDev2AxisRegistryTest() : path(kKey) {}
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        ASSERT_EQ(0, app.ilDevices.getById(ailerons, IDIL_AILERONS));
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

    // Type and bytes of one stored value, read past the code under test.
    bool query(const char* name, DWORD& type, std::vector<unsigned char>& bytes) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        DWORD size = 0;
        LONG r = RegQueryValueExA(k, name, nullptr, &type, nullptr, &size);
        bytes.assign(size, 0);
        if (r == ERROR_SUCCESS) r = RegQueryValueExA(k, name, nullptr, &type, bytes.data(), &size);
        RegCloseKey(k);
        bytes.resize(size);
        return r == ERROR_SUCCESS;
    }
    void put(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY k = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &k, nullptr));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(k, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(k);
    }
    void putInt(const char* name, int v) { put(name, REG_DWORD, &v, 4); }
    void putText(const char* name, const char* t) { put(name, REG_SZ, t, static_cast<DWORD>(strlen(t) + 1)); }

    Quorix app;
    ILDevice* ailerons = nullptr;
    MyString path;
};

std::vector<unsigned char> dword(unsigned v) {
    return {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v >> 16),
            static_cast<unsigned char>(v >> 24)};
}
std::vector<unsigned char> text(const char* t) { return std::vector<unsigned char>(t, t + strlen(t) + 1); }

TEST_F(ProfileDev2AxisRegistryTest, SavesEveryValueWithItsKindAndBytes) {
    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g;
    for (unsigned i = 0; i < sizeof g; ++i) reinterpret_cast<unsigned char*>(&g)[i] = static_cast<unsigned char>(i + 1);
    a.attach(g, HWA_SLD1);
    a.bInvert = 1;
    a.dFilterJitter = 0.5;
    a.dRvBugCor = 2.7;
    a.iMinCalibVal = -300;
    a.iMaxCalibVal = 70000;
    a.bIs50Axis = 5;
    a.setTranslate(0, 1);
    a.setTranslate(19, 80);
    ASSERT_EQ(0, a.saveConfig(path));

    std::vector<unsigned char> translate;
    for (int j = 0; j < TRANSLATE_POINTS; ++j) {
        std::vector<unsigned char> b = dword(j == 0 ? 1 : j == 19 ? 80 : 100);
        translate.insert(translate.end(), b.begin(), b.end());
    }
    struct { const char* name; DWORD type; std::vector<unsigned char> bytes; } expected[] = {
        {"guidHwDev", REG_BINARY, std::vector<unsigned char>(reinterpret_cast<unsigned char*>(&g),
                                                              reinterpret_cast<unsigned char*>(&g) + 16)},
        {"idAxis", REG_DWORD, dword(7)},
        {"bInvert", REG_DWORD, dword(1)},
        {"dFilterJitter", REG_SZ, text("0.50")},
        {"dRvBugCor", REG_SZ, text("2")},
        {"aiTranslate", REG_BINARY, translate},
        {"iMinCalibVal", REG_DWORD, dword(static_cast<unsigned>(-300))},
        {"iMaxCalibVal", REG_DWORD, dword(70000)},
        {"bIs50Axis", REG_DWORD, dword(1)},
        {"ILDeviceName", REG_SZ, text(ailerons->sName.text())},
    };
    for (const auto& e : expected) {
        DWORD type = 0;
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(query(e.name, type, bytes)) << e.name;
        EXPECT_EQ(e.type, type) << e.name;
        EXPECT_EQ(e.bytes, bytes) << e.name;
    }
    EXPECT_EQ(80u, translate.size());

    ProfileDev2Axis b(app, IDIL_AILERONS, ailerons);
    ASSERT_EQ(0, b.readConfig(path));
    EXPECT_EQ(0, memcmp(&g, &b.guidHwDev, sizeof g));
    EXPECT_EQ(HWA_SLD1, b.idAxis);
    EXPECT_EQ(1, b.bInvert);
    EXPECT_DOUBLE_EQ(0.5, b.dFilterJitter);
    EXPECT_DOUBLE_EQ(2.0, b.dRvBugCor);  // the fraction is not stored
    EXPECT_EQ(-300, b.iMinCalibVal);
    EXPECT_EQ(70000, b.iMaxCalibVal);
    EXPECT_EQ(1, b.bIs50Axis);
    EXPECT_EQ(0, memcmp(a.aiTranslate, b.aiTranslate, sizeof a.aiTranslate));
    EXPECT_EQ(0, memcmp(a.adTrCurve, b.adTrCurve, sizeof a.adTrCurve));
}

TEST_F(ProfileDev2AxisRegistryTest, MissingKeyKeepsDefaultsAndGuid) {
    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g;
    memset(&g, 0x33, sizeof g);
    a.attach(g, HWA_X);
    a.iMinCalibVal = 9;  // repaired even without a key
    a.iMaxCalibVal = 9;
    EXPECT_EQ(0, a.readConfig(path));
    EXPECT_EQ(0, memcmp(&g, &a.guidHwDev, sizeof g));
    EXPECT_EQ(HWA_X, a.idAxis);
    EXPECT_EQ(0, a.iMinCalibVal);
    EXPECT_EQ(65536, a.iMaxCalibVal);

    putInt("bInvert", 1);  // key present, the rest missing
    ProfileDev2Axis b(app, IDIL_AILERONS, ailerons);
    b.attach(g, HWA_Y);
    EXPECT_EQ(0, b.readConfig(path));
    EXPECT_EQ(0, memcmp(&g, &b.guidHwDev, sizeof g));
    EXPECT_EQ(HWA_NONE, b.idAxis);
    EXPECT_EQ(1, b.bInvert);
    EXPECT_EQ(65536, b.iMaxCalibVal);
    EXPECT_EQ(100, b.aiTranslate[5]);
}

TEST_F(ProfileDev2AxisRegistryTest, RepairsHostileValues) {
    int points[TRANSLATE_POINTS];
    for (int j = 0; j < TRANSLATE_POINTS; ++j) points[j] = j % 2 ? -7 : 250;
    put("aiTranslate", REG_BINARY, points, sizeof points);
    putInt("iMinCalibVal", 10);
    putInt("iMaxCalibVal", -10);
    putInt("idAxis", 99);
    putText("dFilterJitter", "1e999");
    putText("dRvBugCor", "-1e999");
    putText("bIs50Axis", "1");  // wrong type: default
    unsigned char shortGuid[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    put("guidHwDev", REG_BINARY, shortGuid, sizeof shortGuid);

    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g;
    memset(&g, 0x44, sizeof g);
    a.attach(g, HWA_Z);
    EXPECT_EQ(0, a.readConfig(path));
    EXPECT_EQ(0, memcmp(&g, &a.guidHwDev, sizeof g)) << "8 stored bytes are no GUID";
    EXPECT_EQ(0, a.iMinCalibVal);
    EXPECT_EQ(65536, a.iMaxCalibVal);
    for (int j = 0; j < TRANSLATE_POINTS; ++j) EXPECT_EQ(j % 2 ? 0 : 100, a.aiTranslate[j]) << j;
    EXPECT_DOUBLE_EQ(0.0, a.adTrCurve[9]);
    EXPECT_EQ(HWA_NONE, a.idAxis);
    EXPECT_EQ(0.0, a.dFilterJitter);
    EXPECT_EQ(0.0, a.dRvBugCor);
    EXPECT_EQ(0, a.bIs50Axis);

    int changed = 0;
    double v = -1.0;
    a.apply(changed, v, 65536);
    EXPECT_DOUBLE_EQ(0.0, v);  // point 19 is 0 after the repair
}

}  // namespace
