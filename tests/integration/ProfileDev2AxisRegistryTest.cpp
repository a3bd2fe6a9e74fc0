#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/Quorix.h"
#include "profile/ProfileDev2Axis.h"
#include "support/Pads.h"
#include "support/ScratchKey.h"
#include "support/Seeding.h"

namespace {

class ProfileDev2AxisRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.ok());
        ASSERT_EQ(0, app.ilDevices.getById(ailerons, IDIL_AILERONS));
    }
    void put(const char* name, DWORD type, const void* data, size_t size) {
        regWrite(path(), name, type, std::string(static_cast<const char*>(data), size));
    }
    void putInt(const char* name, int v) { put(name, REG_DWORD, &v, 4); }
    void putText(const char* name, const char* t) { put(name, REG_SZ, t, strlen(t) + 1); }
    std::string path() { return scratch.path().text(); }

    ScratchKey scratch{"QuorixTest-Dev2Axis"};
    Quorix app;
    ILDevice* ailerons = nullptr;
};

TEST_F(ProfileDev2AxisRegistryTest, SavesEveryValueWithItsKindAndBytes) {
    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g = fakeGuid(1);
    a.attach(g, HWA_SLD1);
    a.bInvert = 1, a.dFilterJitter = 0.5, a.iMinCalibVal = -300, a.iMaxCalibVal = 70000, a.bIs50Axis = 5;
    a.dRvBugCor = 2.7;  // stored without its fraction
    a.setTranslate(0, 1);
    a.setTranslate(19, 80);
    ASSERT_EQ(0, a.saveConfig(scratch.path()));

    int points[TRANSLATE_POINTS];
    for (int j = 0; j < TRANSLATE_POINTS; ++j) points[j] = j == 0 ? 1 : j == 19 ? 80 : 100;
    const struct { const char* name; RegValue value; } expected[] = {
        {"guidHwDev", binaryValue(&g, sizeof g)}, {"idAxis", dwordValue(7)},
        {"bInvert", dwordValue(1)},               {"dFilterJitter", textValue("0.50")},
        {"dRvBugCor", textValue("2")},            {"aiTranslate", binaryValue(points, sizeof points)},
        {"iMinCalibVal", dwordValue(DWORD(-300))}, {"iMaxCalibVal", dwordValue(70000)},
        {"bIs50Axis", dwordValue(1)},             {"ILDeviceName", textValue(ailerons->sName.text())},
    };
    for (const auto& e : expected) EXPECT_EQ(e.value, regRead(path(), e.name)) << e.name;
}

TEST_F(ProfileDev2AxisRegistryTest, MissingKeyKeepsDefaultsAndGuid) {
    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g = fakeGuid(0x33);
    a.attach(g, HWA_X);
    a.iMinCalibVal = a.iMaxCalibVal = 9;  // repaired even without a key
    MyString none(scratch.path());
    none.append("\\none");
    EXPECT_EQ(0, a.readConfig(none));
    EXPECT_TRUE(IsEqualGUID(g, a.guidHwDev));
    EXPECT_EQ(HWA_X, a.idAxis);
    EXPECT_EQ(0, a.iMinCalibVal);
    EXPECT_EQ(65536, a.iMaxCalibVal);

    putInt("bInvert", 1);  // key present, the rest missing
    ProfileDev2Axis b(app, IDIL_AILERONS, ailerons);
    b.attach(g, HWA_Y);
    EXPECT_EQ(0, b.readConfig(scratch.path()));
    EXPECT_TRUE(IsEqualGUID(g, b.guidHwDev));
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
    put("guidHwDev", REG_BINARY, "\1\2\3\4\5\6\7\10", 8);

    ProfileDev2Axis a(app, IDIL_AILERONS, ailerons);
    GUID g = fakeGuid(0x44);
    a.attach(g, HWA_Z);
    EXPECT_EQ(0, a.readConfig(scratch.path()));
    EXPECT_TRUE(IsEqualGUID(g, a.guidHwDev)) << "8 stored bytes are no GUID";
    EXPECT_EQ(0, a.iMinCalibVal);
    EXPECT_EQ(65536, a.iMaxCalibVal);
    for (int j = 0; j < TRANSLATE_POINTS; ++j) EXPECT_EQ(j % 2 ? 0 : 100, a.aiTranslate[j]) << j;
    EXPECT_EQ(HWA_NONE, a.idAxis);
    EXPECT_EQ(0.0, a.dFilterJitter);
    EXPECT_EQ(0.0, a.dRvBugCor);
    EXPECT_EQ(0, a.bIs50Axis);
    int changed = 0;
    double v = -1.0;
    ASSERT_EQ(0, a.apply(changed, v, 65536));
    EXPECT_DOUBLE_EQ(0.0, v);  // the curve was rebuilt: point 19 is 0 after the repair
}

}  // namespace
