#include "hw/HwDevice.h"

#include <objbase.h>

#include <cstring>

#include "app/Quorix.h"
#include "base/MyMiscFuncs.h"
#include "base/MyRegFuncs.h"
#include "profile/ProfileDev2Axis.h"

const char* hwAxisName(IdHwAxis id) {
    static const char* const kNames[HWA_COUNT] = {"X", "Y", "Z", "Rx", "Ry", "Rz", "Sld1", "Sld2"};
    return (id >= HWA_X && id <= HWA_SLD2) ? kNames[id - HWA_X] : "";
}

namespace {
const DWORD kLostRetryMs = 1000;
}

void hwInstanceName(char (&out)[MAX_PATH + 1], const DIDEVICEINSTANCEA* inst) {
    memcpy(out, inst->tszInstanceName, MAX_PATH);
    out[MAX_PATH] = '\0';
}

int hwMayBe(const HwDevice& dev, const DIDEVICEINSTANCEA* inst) {
    static const GUID kNoGuid = {};
    char name[MAX_PATH + 1];
    hwInstanceName(name, inst);
    if (dev.bConnected || strcmp(dev.instName.text(), name) != 0) return 0;
    return memcmp(&dev.guidProduct, &kNoGuid, sizeof kNoGuid) == 0 ||
           memcmp(&dev.guidProduct, &inst->guidProduct, sizeof(GUID)) == 0;
}

int hwGuidKeyName(char (&out)[40], const GUID& guid) {
    WCHAR wide[40];
    memset(wide, 0, sizeof wide);
    memset(out, 0, sizeof out);
    if (StringFromGUID2(guid, wide, 40) == 0) return 1;
    for (int i = 0; i < 40; ++i) out[i] = static_cast<char>(wide[i] & 0xFF);
    return 0;
}

HwDevice::HwDevice(Quorix& application)
    : app(application),
      bConnected(0),
      bAcquired(0),
      bInUse(0),
      pDiDevice(nullptr),
      hEvent(nullptr),
      bInputLost(0),
      dwLostTry(0),
      bResend(0) {
    memset(&guid, 0, sizeof guid);
    memset(&guidProduct, 0, sizeof guidProduct);
    memset(&devInstance, 0, sizeof devInstance);
    for (int i = 0; i < HWA_COUNT; ++i) axes[i].id = static_cast<IdHwAxis>(HWA_X + i);
}

HwDevice::~HwDevice() { releaseDiDevice(); }

void HwDevice::releaseDiDevice() {
    if (!pDiDevice) return;
    unacquire();
    pDiDevice->Release();
    pDiDevice = nullptr;
}

int HwDevice::getInstName(MyString& out) {
    out.append(instName);
    return 0;
}

int HwDevice::getUsrName(MyString& out) {
    out.append(usrName);
    return 0;
}

int HwDevice::isConnected() { return bConnected && bAcquired ? 1 : 0; }

int HwDevice::setInstName(const char* name) {
    instName = name;
    return 0;
}

int HwDevice::setInstName(MyString& name) {
    instName = name;
    return 0;
}

int HwDevice::setUsrName(const char* name) {
    usrName = name;
    return 0;
}

int HwDevice::setUsrName(MyString& name) {
    usrName = name;
    return 0;
}

int HwDevice::setConnected(int b) {
    bConnected = b;
    return 0;
}

int HwDevice::setDeviceInstance(const DIDEVICEINSTANCEA* inst) {
    if (!inst) return 1;
    devInstance = *inst;
    guid = inst->guidInstance;
    guidProduct = inst->guidProduct;
    return 0;
}

int HwDevice::configure(IDirectInput8A* di) {
    if (!di) return 1;
    // The interface of an earlier pass belongs to a connection that is gone; on
    // Windows every unreleased one keeps a handle to the controller's driver open.
    releaseDiDevice();
    bInputLost = 0;
    if (di->CreateDevice(devInstance.guidInstance, &pDiDevice, nullptr) != DI_OK || !pDiDevice) {
        pDiDevice = nullptr;  // DirectInput clears it on failure; a stand-in might not
        return 1;
    }
    if (pDiDevice->SetCooperativeLevel(app.hFrameWnd, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE) != DI_OK) return 2;
    if (pDiDevice->SetDataFormat(&c_dfDIJoystick2) != DI_OK) return 3;
    // Buffered data is never read; the buffer only has to exist.
    DIPROPDWORD prop;
    prop.diph.dwSize = sizeof(DIPROPDWORD);
    prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    prop.diph.dwObj = 0;
    prop.diph.dwHow = DIPH_DEVICE;
    prop.dwData = 10;
    if (pDiDevice->SetProperty(DIPROP_BUFFERSIZE, &prop.diph) != DI_OK) return 4;
    // Lets the message loop run a round as soon as the controller reports. Not a
    // set-up step: without an event the timer alone reads the device, as it always
    // did. A polled device (DI_POLLEDDEVICE) keeps its event, which simply never
    // fires; DirectInput holds it until unacquire takes it back.
    hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (hEvent && FAILED(pDiDevice->SetEventNotification(hEvent))) {
        CloseHandle(hEvent);
        hEvent = nullptr;
    }
    return 0;
}

int HwDevice::acquire() {
    // S_FALSE (already acquired) counts as a failure too: bAcquired was not set by us.
    if (!pDiDevice || pDiDevice->Acquire() != DI_OK) return 1;
    bAcquired = 1;
    return 0;
}

int HwDevice::unacquire() {
    if (bAcquired && pDiDevice) pDiDevice->Unacquire();
    bAcquired = 0;
    // DirectInput takes the event back only while not acquired, and must let go
    // of it before it is closed. The next configure makes a new one.
    if (hEvent) {
        if (pDiDevice) pDiDevice->SetEventNotification(nullptr);
        CloseHandle(hEvent);
        hEvent = nullptr;
    }
    return 0;
}

HRESULT HwDevice::pollAndRead(DIJOYSTATE2& state) {
    // Windows reads a device that needs polling only here (DI_NOEFFECT for the
    // others); Wine polls inside GetDeviceState, so it never shows the difference.
    HRESULT hr = pDiDevice->Poll();
    return FAILED(hr) ? hr : pDiDevice->GetDeviceState(sizeof state, &state);
}

int HwDevice::readState(int& bRead, DIJOYSTATE2& state) {
    bRead = 0;
    if (!pDiDevice) return 1;
    const DWORD dwNow = app.il2Com.pfnGetTickCount();
    if (bInputLost && dwNow - dwLostTry < kLostRetryMs) return 1;
    HRESULT hr = pollAndRead(state);
    if (hr == DIERR_INPUTLOST || hr == DIERR_NOTACQUIRED) {
        // Sleep and resume, a hub reset, another program taking the controller:
        // acquired again directly, the input event stays registered. (Wine never
        // loses input this way; the stand-in's lose() takes this path.)
        HRESULT hrAcquire = pDiDevice->Acquire();
        hr = hrAcquire == DI_OK || hrAcquire == S_FALSE ? pollAndRead(state) : hrAcquire;
        if (SUCCEEDED(hr)) bResend = 1;  // moves made meanwhile never reached the simulator
    }
    if (hr == E_PENDING) return 0;  // a polled device with no data yet
    if (FAILED(hr)) {
        if (!bInputLost && app.hLogFile != INVALID_HANDLE_VALUE) {
            MyString line("Input lost: ");
            line += usrName;
            line += "\r\n";
            app.addLog(line);
        }
        bInputLost = 1;
        dwLostTry = dwNow;
        return 1;
    }
    if (bInputLost) {
        bInputLost = 0;
        bResend = 1;
        if (app.hLogFile != INVALID_HANDLE_VALUE) {
            MyString line("Input back: ");
            line += usrName;
            line += "\r\n";
            app.addLog(line);
        }
    }
    bRead = 1;
    return 0;
}

int HwDevice::process(int bFlush) {
    DIJOYSTATE2 state;
    int bRead = 0;
    int status = readState(bRead, state);
    if (status != 0 || !bRead) return status;
    const LONG raw[HWA_COUNT] = {state.lX,  state.lY,  state.lZ,           state.lRx,
                                 state.lRy, state.lRz, state.rglSlider[0], state.rglSlider[1]};
    for (int i = 0; i < HWA_COUNT && status == 0; ++i) {
        HwAxis& axis = axes[i];
        if (axis.isAssigned()) status = processAxis(axis, raw[i], bFlush || bResend, hwAxisName(axis.id));
    }
    if (status == 0) bResend = 0;
    return status;
}

int HwDevice::processAxis(HwAxis& axis, long raw, int bFlush, const char* axisName) {
    if (!axis.isAssigned()) return 0;
    int bChanged = 1;
    double value = 0.0;
    int status = axis.pDev2Axis->apply(bChanged, value, static_cast<int>(raw));
    if (status != 0) return status;
    if (!bFlush && !bChanged) return 0;
    // Outside 0..100 only before a first value was accepted (a first raw value equal
    // to the start value -1): nothing to send yet, and never a command beyond -1.00 .. 1.00.
    if (!(value >= 0.0 && value <= 100.0)) return 0;
    // Built only now: a string allocates, and an unchanged axis must cost nothing.
    MyString command;
    status = axis.pILDevice->makeCommand(command, roundMy(value));
    if (status != 0) return status;
    if (app.hLogFile != INVALID_HANDLE_VALUE) {
        status = logProcessAxis(axisName);
        if (status != 0) return status;
    }
    return app.il2Com.sendIL2DeviceCmd(command);
}

int HwDevice::processDlgCfg(int bFlush, int bDlgDevice) {
    DlgCfg& dlg = app.dlgCfg;
    const int bDlgRedraw = bDlgDevice ? dlg.redrawValues : 0;
    DIJOYSTATE2 state;
    int bRead = 0;
    int status = readState(bRead, state);
    if (status == 0 && bRead) {
        const LONG raw[HWA_COUNT] = {state.lX,  state.lY,  state.lZ,           state.lRx,
                                     state.lRy, state.lRz, state.rglSlider[0], state.rglSlider[1]};
        const int bSend = bFlush || bResend;
        for (int i = 0; i < HWA_COUNT && status == 0; ++i) {
            HwAxis& axis = axes[i];
            if (axis.isAssigned())
                status = processAxis4DlgCfg(axis, raw[i], bSend, hwAxisName(axis.id), bDlgDevice, bDlgRedraw);
            else
                status = non_processAxis4DlgCfg(axis, raw[i], bDlgDevice, bDlgRedraw);
        }
        if (status == 0) bResend = 0;
    }
    // The request is used up even by a failed pass (the failure is still
    // reported); only a polled device with nothing to read yet keeps it.
    if (bDlgRedraw && (bRead || status != 0)) dlg.redrawValues = 0;
    return status;
}

int HwDevice::processAxis4DlgCfg(HwAxis& axis, long raw, int bFlush, const char* axisName, int bDlgDevice,
                                 int bDlgRedraw) {
    if (!axis.isAssigned()) return 0;
    ProfileDev2Axis& a = *axis.pDev2Axis;
    const int oldRaw = a.iLastValRaw;
    const double oldReport = a.dLastValReport;
    const double oldCorrected = a.dLastValCorrected;
    int bChanged = 1;
    double value = 0.0;
    int status = a.apply(bChanged, value, static_cast<int>(raw));
    if (status != 0) return status;
    // Nothing outside 0..100 is ever sent (see processAxis); the dialog still shows it.
    if ((bFlush || bChanged) && value >= 0.0 && value <= 100.0) {
        MyString command;
        status = axis.pILDevice->makeCommand(command, roundMy(value));
        if (status != 0) return status;
        // The dialog polls whether or not the simulator listens: send only to a pilot.
        if (app.il2Com.bConnected && app.il2Com.iInCockpit == 1) {
            if (app.hLogFile != INVALID_HANDLE_VALUE) {
                status = logProcessAxis(axisName);
                if (status != 0) return status;
            }
            status = app.il2Com.sendIL2DeviceCmd(command);
        }
    }
    if (status != 0 || !bDlgDevice) return status;
    // A still axis writes nothing: each field only when its value moved or all are asked for.
    const int bAll = bFlush || bDlgRedraw;
    DlgCfg& dlg = app.dlgCfg;
    if (bAll || a.iLastValRaw != oldRaw) {
        status = dlg.updHwAxisValRaw(a.idAxis, a.iLastValRaw);
        if (status != 0) return status;
    }
    if (bAll || a.dLastValReport != oldReport) {
        status = dlg.updHwAxisValReport(a.idAxis, a.dLastValReport);
        if (status != 0) return status;
    }
    if (bAll || a.dLastValCorrected != oldCorrected) status = dlg.updHwAxisValCorrected(a.idAxis, a.dLastValCorrected);
    return status;
}

int HwDevice::non_processAxis4DlgCfg(HwAxis& axis, long raw, int bDlgDevice, int bDlgRedraw) {
    if (bDlgDevice && (bDlgRedraw || raw != axis.iLastValRaw)) {
        axis.iLastValRaw = static_cast<int>(raw);
        app.dlgCfg.updHwAxisValRaw(axis.id, raw);  // a lost raw value of a free axis stops nothing
    }
    return 0;
}

int HwDevice::logProcessAxis(const char* axisName) {
    if (app.hLogFile == INVALID_HANDLE_VALUE) return 0;
    MyString line("Sending ");
    line += usrName;
    line += " - Axis ";
    line += axisName;
    line += "\r\n";
    app.addLog(line);
    return 0;
}

int HwDevice::readConfig(MyString path, MyString keyName) {
    path += "\\";
    path += keyName;
    HKEY key = nullptr;
    if (openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != 0) return 0;
    int status = 0;
    // Only a value of exactly 16 bytes is a GUID: a shorter one would leave a
    // mix of stored and current bytes, an identity no controller has.
    GUID* const apGuid[] = {&guid, &guidProduct};
    const char* const asName[] = {"guid", "guidProduct"};
    for (int i = 0; i < 2 && status == 0; ++i) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, asName[i], nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY &&
            size == sizeof(GUID))
            status = getRegistryBinary(apGuid[i], sizeof(GUID), key, const_cast<char*>(asName[i]), nullptr);
    }
    if (status == 0) status = getRegistryString(instName, key, "sInstName", instName);
    if (status == 0) status = getRegistryString(usrName, key, "sUsrName", instName);
    closeRegistryKey(key);
    return status;
}

int HwDevice::saveConfig(MyString path) {
    // The zero GUID identifies no controller: such a key would load as a phantom.
    static const GUID kNoGuid = {};
    if (memcmp(&guid, &kNoGuid, sizeof kNoGuid) == 0) return 0;
    char text[40];
    if (hwGuidKeyName(text, guid) != 0) return 1;
    path += "\\";
    path += text;
    int status = createRegistryKeyIfNotExists(HKEY_CURRENT_USER, path);
    HKEY key = nullptr;
    if (status == 0) status = openRegistryKey(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key);
    if (status != 0) return status;
    status = setRegistryBinary(key, "guid", reinterpret_cast<const unsigned char*>(&guid), sizeof guid);
    // Unknown until the controller was seen: never stored as zero, which matches no product.
    if (status == 0 && memcmp(&guidProduct, &kNoGuid, sizeof kNoGuid) != 0)
        status = setRegistryBinary(key, "guidProduct", reinterpret_cast<const unsigned char*>(&guidProduct),
                                   sizeof guidProduct);
    if (status == 0) status = setRegistryString(key, "sInstName", instName);
    if (status == 0) status = setRegistryString(key, "sUsrName", usrName);
    closeRegistryKey(key);
    return status;
}
