#pragma once
// The fixed catalogue of simulator controls with their Device Link command templates.

#include "base/MyString.h"

class Quorix;

// Identifier of a simulator control; stored in the registry as assignment key names.
enum IdILDevice {
    IDIL_NONE = 0,
    IDIL_AILERONS = 1,
    IDIL_BRAKES = 2,
    IDIL_ELEVATOR = 3,
    IDIL_FLAPS = 4,
    IDIL_POWER = 5,
    IDIL_POWER_LEFT = 6,
    IDIL_POWER_RIGHT = 7,
    IDIL_PITCH = 8,
    IDIL_PITCH_LEFT = 9,
    IDIL_PITCH_RIGHT = 10,
    IDIL_RUDDER = 11,
    IDIL_TRIM_AILERONS = 12,
    IDIL_TRIM_ELEVATOR = 13,
    IDIL_TRIM_RUDDER = 14,
};

class ILDevice {
public:
    ILDevice(IdILDevice id, const char* name, const char* prefix, const char* suffix);

    // Appends the command that sets this control to v (0..100) to out.
    int makeCommand(MyString& out, int v);

    IdILDevice id;
    MyString sName;
    MyString sCmdPrefix;
    MyString sCmdSuffix;
};

class ILDeviceArray {
public:
    explicit ILDeviceArray(Quorix& app);
    ~ILDeviceArray();
    ILDeviceArray(const ILDeviceArray&) = delete;
    ILDeviceArray& operator=(const ILDeviceArray&) = delete;

    // Fills the 14 controls in catalogue order (done once by the application).
    int fill();
    int add(ILDevice* dev);
    int getById(ILDevice*& out, IdILDevice id);

    ILDevice** apDevices;
    int iCount;
    Quorix& app;
};
