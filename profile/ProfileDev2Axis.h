#pragma once
// One assignment of a controller axis to a simulator control, with its transfer
// function (calibration, inversion, jitter filter, G940 correction, curve).

#include <windows.h>

#include "base/MyString.h"
#include "hw/IdHwAxis.h"
#include "il2/ILDevice.h"

class Quorix;

enum { TRANSLATE_POINTS = 20, TRCURVE_FACTORS = 100 };

class ProfileDev2Axis {
public:
    ProfileDev2Axis(Quorix& app, IdILDevice id, ILDevice* dev);
    ~ProfileDev2Axis() {}
    ProfileDev2Axis(const ProfileDev2Axis&) = delete;
    ProfileDev2Axis& operator=(const ProfileDev2Axis&) = delete;

    int attach(GUID& guid, IdHwAxis axis);
    int detach();

    int getTranslate(int& out, int index);
    int setTranslate(int index, int value);
    int recalcTrCurve();

    int resetAxisSettings();
    int resetTranslation();
    int resetAll();
    // After a change in the dialog: the next apply computes afresh even for an
    // axis at rest, and reports a change only if the result differs. The jitter
    // filter starts over too, or a change of the curve alone would be filtered,
    // and so does the G940 correction, or it would take the jump for a reversal.
    void forgetLastRaw() {
        iLastValRaw = -1;
        iLastValClamped = -1;
        dLastValReport = -1.0;
        iRvBugDir = 0;
    }

    int fixG940RvBg(double& out, double p);
    // Runs every poll round for every assigned axis: value gets the corrected
    // 0..100, bChanged whether it differs from the previous result. The exits for
    // a controller at rest are inline so that they cost the caller no call.
    int apply(int& bChanged, double& value, int raw) {
        bChanged = 0;
        if (raw == iLastValRaw) {
            value = dLastValCorrected;
            return 0;
        }
        int c = raw > iMaxCalibVal ? iMaxCalibVal : raw;
        if (c < iMinCalibVal) c = iMinCalibVal;
        if (c == iLastValClamped) {
            iLastValRaw = raw;
            value = dLastValCorrected;
            return 0;
        }
        return applyClamped(bChanged, value, raw, c);
    }
    // The rest of apply for a clamped value c that differs from the last one.
    int applyClamped(int& bChanged, double& value, int raw, int c);
    // The sensitivity step of apply alone: out gets the corrected 0..100 for the
    // percentage v, from the factors recalcTrCurve made and the mode. The response
    // plots call it too, so that they draw exactly what is sent. Always 0.
    int applyCurve(double& out, double v) const;

    int readConfig(MyString path);
    int saveConfig(MyString path);

    Quorix& app;
    IdILDevice idILDevice;
    ILDevice* pILDevice;
    GUID guidHwDev;
    IdHwAxis idAxis;
    int iMinCalibVal;
    int iMaxCalibVal;
    int bInvert;
    double dFilterJitter;
    double dRvBugCor;
    int aiTranslate[TRANSLATE_POINTS];
    double adTrCurve[TRCURVE_FACTORS];
    int bIs50Axis;

    // Run-time memory of apply.
    int iLastValRaw;
    int iLastValClamped;
    double dLastValReport;
    double dLastValCorrected;
    int iRvBugDir;
};
