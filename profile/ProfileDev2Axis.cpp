#include "profile/ProfileDev2Axis.h"

#include <cmath>
#include <cstring>

#include "base/MyMiscFuncs.h"
#include "base/MyRegFuncs.h"

static_assert(sizeof(int) == 4, "aiTranslate is stored as 32-bit integers");

namespace {
// ceil(x) - 1 limited to 0..hi. Decided in double so that a value far outside
// the range (or NaN) never reaches an int conversion, which would be undefined.
inline int factorIndex(double x, int hi) {
    double i = std::ceil(x) - 1.0;
    if (!(i >= 0.0)) return 0;
    return i >= hi ? hi : static_cast<int>(i);
}

// roundnMy(x, 2) for the position 0..100 (NaN gives 0, as there), without the
// call and the general cases it handles: this runs for every moving axis.
inline double roundPercent2(double x) {
    double y = x * 100.0;
    if (!(y >= 0.0)) return 0.0;
    long long t = static_cast<long long>(y);
    t += y - static_cast<double>(t) >= 0.5;  // an add, not a branch: moves are random
    return static_cast<double>(t) / 100.0;
}

// Registry text like "1e999" parses to infinity; such a value counts as missing.
inline double finiteOr(double v, double def) { return std::isfinite(v) ? v : def; }
}  // namespace

ProfileDev2Axis::ProfileDev2Axis(Quorix& application, IdILDevice id, ILDevice* dev)
    : app(application),
      idILDevice(id),
      pILDevice(dev),
      guidHwDev(),
      idAxis(HWA_NONE),
      iMinCalibVal(0),
      iMaxCalibVal(65536),
      bInvert(0),
      dFilterJitter(0.0),
      dRvBugCor(0.0),
      aiTranslate(),
      adTrCurve(),
      bIs50Axis(0) {
    resetAll();
    iLastValRaw = -1;
    iLastValClamped = -1;
    dLastValReport = -1.0;
    dLastValCorrected = -1.0;
    iRvBugDir = 0;
}

int ProfileDev2Axis::attach(GUID& guid, IdHwAxis axis) {
    if (axis == HWA_NONE) return 1;
    guidHwDev = guid;
    idAxis = axis;
    return 0;
}

int ProfileDev2Axis::detach() {
    memset(&guidHwDev, 0, sizeof guidHwDev);
    idAxis = HWA_NONE;
    return 0;
}

int ProfileDev2Axis::getTranslate(int& out, int index) {
    if (static_cast<unsigned>(index) >= TRANSLATE_POINTS) return 1;
    out = aiTranslate[index];
    return 0;
}

int ProfileDev2Axis::setTranslate(int index, int value) {
    if (static_cast<unsigned>(index) >= TRANSLATE_POINTS) return 1;
    aiTranslate[index] = value > 99 ? 100 : value < 0 ? 0 : value;
    return recalcTrCurve();
}

int ProfileDev2Axis::recalcTrCurve() {
    for (int j = 0; j < TRANSLATE_POINTS; ++j) {
        double prev = aiTranslate[j == 0 ? 0 : j - 1];
        double step = (aiTranslate[j] - prev) / 5.0;
        double f = prev;
        for (int k = 0; k < 4; ++k) {
            f += step;
            adTrCurve[5 * j + k] = f;
        }
        // The fifth sum can miss the point by an ulp (1 -> 2 gives 1.9999999999999998);
        // the point itself is what the factor at 5*(j+1) % must be.
        adTrCurve[5 * j + 4] = aiTranslate[j];
    }
    return 0;
}

int ProfileDev2Axis::resetAxisSettings() {
    iMinCalibVal = 0;
    iMaxCalibVal = 65536;
    bInvert = 0;
    dFilterJitter = 0.0;
    dRvBugCor = 0.0;
    return 0;
}

int ProfileDev2Axis::resetTranslation() {
    for (int j = 0; j < TRANSLATE_POINTS; ++j) aiTranslate[j] = 100;
    for (int i = 0; i < TRCURVE_FACTORS; ++i) adTrCurve[i] = 100.0;
    bIs50Axis = 0;
    return 0;
}

int ProfileDev2Axis::resetAll() {
    int status = resetAxisSettings();
    if (status == 0) status = resetTranslation();
    return status;
}

int ProfileDev2Axis::fixG940RvBg(double& out, double p) {
    const int s = iRvBugDir;
    const double lin = dLastValReport;
    const double lout = dLastValCorrected;
    const double k = dRvBugCor - 1.0;

    int d;
    if (s == 0 && lin == -1.0) d = 0;
    else d = p > lin ? 1 : -1;

    if (p >= 100.0 || p <= 0.0) {
        out = p;
        iRvBugDir = 0;
        return 0;
    }
    if (d == s) {
        out = p;
        if (d == 1 && lout < lin) {
            double t = lout + 1.5 * (p - lin);
            out = p < t ? p : t;
        } else if (d == -1 && lout > lin) {
            double t = lout - 1.5 * (lin - p);
            out = p > t ? p : t;
        }
    } else if (d == 1) {
        double q = p - k;
        out = (lout > lin && lout > q) ? lout : q;
    } else {
        double q = p + k;
        out = (lout < lin && lout < q) ? lout : q;
    }
    iRvBugDir = d;
    return 0;
}

int ProfileDev2Axis::applyCurve(double& out, double v) const {
    if (!bIs50Axis) {
        double g = v * adTrCurve[factorIndex(v, 99)] / 100.0;
        out = g >= 100.0 ? 100.0 : g <= 0.0 ? 0.0 : g;
    } else {
        double h = (v - 50.0) * adTrCurve[50 + factorIndex(absf(v - 50.0), 49)] / 100.0;
        out = h <= -50.0 ? 0.0 : h >= 50.0 ? 100.0 : 50.0 + h;
    }
    return 0;
}

int ProfileDev2Axis::applyClamped(int& bChanged, double& value, int raw, int c) {
    // Differences in double: a calibration from the registry may span the whole
    // int range, where c - min and max - min overflow 32 bits. Both are exact.
    double lo = iMinCalibVal;
    double p = roundPercent2((c - lo) * 100.0 / (iMaxCalibVal - lo));
    if (bInvert) p = 100.0 - p;
    if (p >= 100.0) p = 100.0;
    else if (p <= 0.0) p = 0.0;

    // Until a value has been accepted (dLastValReport still -1) there is nothing to
    // filter against: swallowing the first one would leave -1 as the result to send.
    if (dLastValReport >= 0.0 && absf(dLastValReport - p) <= dFilterJitter) {
        iLastValClamped = c;
        iLastValRaw = raw;
        value = dLastValCorrected;
        return 0;
    }

    int status = 0;
    double v = p;
    if (dRvBugCor != 0.0) status = fixG940RvBg(v, p);

    double g;
    applyCurve(g, v);

    bChanged = g != dLastValCorrected ? 1 : 0;
    dLastValCorrected = g;
    dLastValReport = p;
    iLastValClamped = c;
    iLastValRaw = raw;
    value = g;
    return status;
}

int ProfileDev2Axis::readConfig(MyString path) {
    HKEY key = nullptr;
    int status = 0;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key) == 0) {
        static const int flat[TRANSLATE_POINTS] = {100, 100, 100, 100, 100, 100, 100, 100, 100, 100,
                                                   100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
        int axis = 0;
        // Only a value of exactly 16 bytes is a GUID: a shorter one would mix
        // stored and current bytes into an identity no controller has.
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, "guidHwDev", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
            type == REG_BINARY && size == sizeof guidHwDev)
            status = getRegistryBinary(&guidHwDev, sizeof guidHwDev, key, "guidHwDev", nullptr);
        if (status == 0) status = getRegistryInt(axis, key, "idAxis", HWA_NONE);
        if (status == 0) status = getRegistryInt(bInvert, key, "bInvert", 0);
        if (status == 0) status = getRegistryDouble(dFilterJitter, key, "dFilterJitter", 0.0);
        if (status == 0) status = getRegistryDouble(dRvBugCor, key, "dRvBugCor", 0.0);
        if (status == 0) status = getRegistryBinary(aiTranslate, sizeof aiTranslate, key, "aiTranslate", flat);
        if (status == 0) status = getRegistryInt(iMinCalibVal, key, "iMinCalibVal", 0);
        if (status == 0) status = getRegistryInt(iMaxCalibVal, key, "iMaxCalibVal", 65536);
        if (status == 0) status = getRegistryBool(bIs50Axis, key, "bIs50Axis", 0);
        closeRegistryKey(key);
        // The device side indexes its axes with this number: anything unknown is unassigned.
        idAxis = (axis >= HWA_NONE && axis <= HWA_SLD2) ? static_cast<IdHwAxis>(axis) : HWA_NONE;
        dFilterJitter = finiteOr(dFilterJitter, 0.0);
        dRvBugCor = finiteOr(dRvBugCor, 0.0);
    }
    if (iMinCalibVal >= iMaxCalibVal) {
        iMinCalibVal = 0;
        iMaxCalibVal = 65536;
    }
    for (int j = 0; j < TRANSLATE_POINTS; ++j)
        aiTranslate[j] = aiTranslate[j] > 100 ? 100 : aiTranslate[j] < 0 ? 0 : aiTranslate[j];
    recalcTrCurve();
    return status;
}

int ProfileDev2Axis::saveConfig(MyString path) {
    createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    int status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status != 0) return status;
    // Windows keeps ints little-endian in memory, so the array's bytes are the stored form.
    status = setRegistryBinary(key, "guidHwDev", reinterpret_cast<const unsigned char*>(&guidHwDev),
                               sizeof guidHwDev);
    if (status == 0) status = setRegistryInt(key, "idAxis", idAxis);
    if (status == 0) status = setRegistryInt(key, "bInvert", bInvert);
    if (status == 0) status = setRegistryDouble(key, "dFilterJitter", dFilterJitter, 2);
    if (status == 0) status = setRegistryDouble(key, "dRvBugCor", dRvBugCor, 0);
    if (status == 0)
        status = setRegistryBinary(key, "aiTranslate", reinterpret_cast<const unsigned char*>(aiTranslate),
                                   sizeof aiTranslate);
    if (status == 0) status = setRegistryInt(key, "iMinCalibVal", iMinCalibVal);
    if (status == 0) status = setRegistryInt(key, "iMaxCalibVal", iMaxCalibVal);
    if (status == 0) status = setRegistryBool(key, "bIs50Axis", bIs50Axis);
    if (status == 0) status = setRegistryString(key, "ILDeviceName", pILDevice ? pILDevice->sName.text() : "");
    closeRegistryKey(key);
    return status;
}
