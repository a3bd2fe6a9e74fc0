#include "il2/ILDevice.h"

#include <cstdlib>

ILDevice::ILDevice(IdILDevice id_, const char* name, const char* prefix, const char* suffix)
    : id(id_), sName(name), sCmdPrefix(prefix), sCmdSuffix(suffix) {}

int ILDevice::makeCommand(MyString& out, int v) {
    out.append(sCmdPrefix);
    ValueToString(out, v * 0.02 - 1.0, 2);
    out.append(sCmdSuffix);
    return 0;
}

ILDeviceArray::ILDeviceArray(Quorix& app_) : apDevices(nullptr), iCount(0), app(app_) {}

ILDeviceArray::~ILDeviceArray() {
    for (int i = 0; i < iCount; ++i) delete apDevices[i];
    free(apDevices);
    apDevices = nullptr;
    iCount = 0;
}

int ILDeviceArray::add(ILDevice* dev) {
    ILDevice** p = static_cast<ILDevice**>(realloc(apDevices, sizeof(ILDevice*) * (static_cast<size_t>(iCount) + 1)));
    if (!p) return 1;
    apDevices = p;
    apDevices[iCount++] = dev;
    return 0;
}

int ILDeviceArray::fill() {
    static const struct {
        IdILDevice id;
        const char* name;
        const char* prefix;
    } kCatalogue[] = {
        {IDIL_AILERONS, "Ailerons", "R/85\\-1.00/85\\"},
        {IDIL_BRAKES, "Brakes", "R/91\\-1.00/91\\"},
        {IDIL_ELEVATOR, "Elevator", "R/87\\-1.00/87\\"},
        {IDIL_FLAPS, "Flaps", "R/83\\-1.00/83\\"},
        {IDIL_POWER, "Power", "R/115/81\\-1.00/115/81\\"},
        {IDIL_POWER_LEFT, "Power Left Engines", "R/119/81\\-1.00/119/81\\"},
        {IDIL_POWER_RIGHT, "Power Right Engines", "R/121/81\\-1.00/121/81\\"},
        {IDIL_PITCH, "Propeller Pitch", "R/115/93\\-1.00/115/93\\"},
        {IDIL_PITCH_LEFT, "Propeller Pitch Left Engines", "R/119/93\\-1.00/119/93\\"},
        {IDIL_PITCH_RIGHT, "Propeller Pitch Right Engines", "R/121/93\\-1.00/121/93\\"},
        {IDIL_RUDDER, "Rudder", "R/89\\-1.00/89\\"},
        {IDIL_TRIM_AILERONS, "Trim Ailerons", "R/95\\-1.00/95\\"},
        {IDIL_TRIM_ELEVATOR, "Trim Elevator", "R/97\\-1.00/97\\"},
        {IDIL_TRIM_RUDDER, "Trim Rudder", "R/99\\-1.00/99\\"},
    };
    for (const auto& c : kCatalogue) {
        ILDevice* dev = new ILDevice(c.id, c.name, c.prefix, "");
        if (add(dev) != 0) {
            delete dev;
            return 1;
        }
    }
    return 0;
}

int ILDeviceArray::getById(ILDevice*& out, IdILDevice id) {
    out = nullptr;
    for (int i = 0; i < iCount; ++i) {
        if (!apDevices[i]) break;
        if (apDevices[i]->id == id) {
            out = apDevices[i];
            break;
        }
    }
    return out ? 0 : 1;
}
