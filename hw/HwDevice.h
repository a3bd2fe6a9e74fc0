#pragma once
// DirectInput game controllers, their axes, and the list of every controller seen.

#include <windows.h>
#include <dinput.h>

#include "base/MyString.h"
#include "hw/IdHwAxis.h"

class Quorix;
class ProfileDev2Axis;
class ILDevice;

class HwAxis {
public:
    HwAxis() : id(HWA_NONE), pDev2Axis(nullptr), pILDevice(nullptr), iLastValRaw(-1) {}
    // Assigned only when both the assignment and its control are set.
    int isAssigned() const { return pDev2Axis && pILDevice; }

    IdHwAxis id;
    ProfileDev2Axis* pDev2Axis;  // owned by the active profile
    ILDevice* pILDevice;         // owned by the control catalogue
    int iLastValRaw;             // last raw value the dialog showed while unassigned (-1: none yet)
};

class HwDevice {
public:
    explicit HwDevice(Quorix& app);
    virtual ~HwDevice();
    HwDevice(const HwDevice&) = delete;
    HwDevice& operator=(const HwDevice&) = delete;

    virtual int getInstName(MyString& out);
    virtual int getUsrName(MyString& out);
    virtual int isConnected();
    virtual int setInstName(const char* name);
    virtual int setInstName(MyString& name);
    virtual int setUsrName(const char* name);
    virtual int setUsrName(MyString& name);
    virtual int setConnected(int b);
    virtual int setDeviceInstance(const DIDEVICEINSTANCEA* inst);
    virtual int configure(IDirectInput8A* di);
    virtual int acquire();
    virtual int unacquire();
    virtual int process(int bFlush);
    // process while the configuration dialog is open: every axis is read, and the
    // shown device's values go into the dialog's rows.
    virtual int processDlgCfg(int bFlush, int bDlgDevice);
    virtual int processAxis4DlgCfg(HwAxis& axis, long raw, int bFlush, const char* axisName, int bDlgDevice,
                                   int bDlgRedraw);
    virtual int non_processAxis4DlgCfg(HwAxis& axis, long raw, int bDlgDevice, int bDlgRedraw);
    virtual int readConfig(MyString path, MyString keyName);
    virtual int saveConfig(MyString path);

    int processAxis(HwAxis& axis, long raw, int bFlush, const char* axisName);
    int logProcessAxis(const char* axisName);
    // Polls and reads the controller for one round, acquiring it again when its
    // input was lost: bRead 1 with a fresh state; 0 with status 0 when a polled
    // device has nothing yet; status 1 when it cannot be read this round.
    int readState(int& bRead, DIJOYSTATE2& state);
    // Unacquires and releases the DirectInput device, if any: before the
    // DirectInput interface that made it goes.
    void releaseDiDevice();

    Quorix& app;
    MyString instName;
    MyString usrName;
    int bConnected;
    int bAcquired;
    int bInUse;
    GUID guid;
    // The controller's product (model): stored beside guid; all zero while unknown
    // (an entry written before it was kept).
    GUID guidProduct;
    DIDEVICEINSTANCEA devInstance;
    IDirectInputDevice8A* pDiDevice;
    HwAxis axes[HWA_COUNT];  // X, Y, Z, Rx, Ry, Rz, Sld1, Sld2
    // Auto-reset event DirectInput sets when the controller reports; null when the
    // device has none (not configured, unacquired, or notification refused).
    HANDLE hEvent;
    // Its input stayed lost after acquiring again: tried once a second from
    // dwLostTry on (the link's tick), its log line written once.
    int bInputLost;
    DWORD dwLostTry;
    // Its input came back: the next processing sends every assigned axis.
    int bResend;

private:
    HRESULT pollAndRead(DIJOYSTATE2& state);
};

// Log name of an axis ("X" ... "Sld2"), "" for HWA_NONE.
const char* hwAxisName(IdHwAxis id);
// The instance name of an enumeration record, bounded: it comes from a driver, with
// or without its NUL.
void hwInstanceName(char (&out)[MAX_PATH + 1], const DIDEVICEINSTANCEA* inst);
// 1 when dev may be the controller inst describes under a new instance GUID (another
// USB port, a reinstalled driver): not listed in this pass (bConnected 0, whether or
// not a listed one could be acquired), of the same instance name and, where stored,
// the same product.
int hwMayBe(const HwDevice& dev, const DIDEVICEINSTANCEA* inst);
// The name of a controller's registry key: its GUID as 38 characters in braces; 1 on failure.
int hwGuidKeyName(char (&out)[40], const GUID& guid);

class HwDeviceArray {
public:
    explicit HwDeviceArray(Quorix& app);
    ~HwDeviceArray();
    HwDeviceArray(const HwDeviceArray&) = delete;
    HwDeviceArray& operator=(const HwDeviceArray&) = delete;

    int regDevice(HwDevice* dev, const DIDEVICEINSTANCEA* inst);
    // The stored controllers inst may be (hwMayBe): their number, and the last one in pOut.
    int countCandidates(int& n, HwDevice*& pOut, const DIDEVICEINSTANCEA* inst);
    // Deletes the key of a controller that now goes by another GUID, below path's HwDev.
    int removeStoredKey(MyString path, const GUID& guid);
    int findByGuid(int& idx, const GUID* guid);
    int checkDoubleUsrName(int& bDouble, MyString& name, HwDevice* exclude);
    int disconnectAll();
    // Releases every device's DirectInput interface.
    int releaseAll();
    // The input events of the devices an ordinary poll round reads (connected,
    // acquired, in use), at most iMax of them, into ahOut; their number in n.
    int getEventHandles(int& n, HANDLE* ahOut, int iMax);
    int readConfig(MyString path);
    int saveConfig(MyString path);
    // Appends a device the list then owns; 1 if the list cannot grow.
    int add(HwDevice* dev);

    HwDevice** items;
    int count;
    Quorix* app;
};
