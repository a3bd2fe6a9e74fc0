#pragma once
// Virtual game controllers: the block of their state, and the handle on the
// named shared block behind the project's own dinput8.dll, which padsimctl and
// e2e tests use to move axes and plug controllers from any process of the same
// logon. In-process use (VirtualDirectInput) keeps a private block instead.
//
// The shared block's controllers, their fixed instance GUIDs and instance names (the product
// name of all four is "Quorix Virtual Controller"):
//   1  {A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0001}  "Virtual Stick 1"
//   2  {A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0002}  "Virtual Throttle 2"
//   3  {A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0003}  "Virtual Pedals 3"
//   4  {A7C1D2E0-5B3F-4E8A-9C61-51D0C0DE0004}  "Virtual Panel 4"
// Axes are numbered as IdHwAxis (1 X, 2 Y, 3 Z, 4 Rx, 5 Ry, 6 Rz, 7 Sld1,
// 8 Sld2) and hold 0..65535, DirectInput's default absolute range.

#include <windows.h>

// PADSIM_CONTROLLERS in the shared block; up to PADSIM_MAX_CONTROLLERS in a private one.
enum { PADSIM_CONTROLLERS = 4, PADSIM_MAX_CONTROLLERS = 16 };
enum { PADSIM_AXES = 8, PADSIM_AXIS_MAX = 65535, PADSIM_AXIS_CENTRE = 32767 };

// Status codes of VirtualControllers.
enum {
    PADSIM_OK = 0,
    PADSIM_ERR_NOBLOCK = 1,   // not open, or (open without create) no block exists yet
    PADSIM_ERR_SYSTEM = 2,    // the named block could not be created or mapped
    PADSIM_ERR_INVALID = 3,   // the block holds another layout (magic or version); reset() rewrites it
    PADSIM_ERR_CTRL = 4,      // controller number outside 1..PADSIM_CONTROLLERS
    PADSIM_ERR_AXIS = 5,      // axis number outside 1..PADSIM_AXES
    PADSIM_ERR_VALUE = 6,     // axis value outside 0..PADSIM_AXIS_MAX
};

#define PADSIM_BLOCK_NAME "Local\\QuorixPadSim"
// Held while a process creates and fills the block, so nobody sees it half made.
#define PADSIM_INIT_MUTEX_NAME "Local\\QuorixPadSimInit"
#define PADSIM_PRODUCT_NAME "Quorix Virtual Controller"
// Auto-reset event set after every change of the block; the DLL's one reader
// passes it on to the devices' notification events.
#define PADSIM_CHANGED_EVENT_NAME "Local\\QuorixPadSimChanged"

const DWORD PADSIM_MAGIC = 0x4D535051;  // "QPSM"
const DWORD PADSIM_VERSION = 3;

// Instance GUID of controller iCtrl (1..4); the table above.
inline constexpr GUID kVirtualControllerGuid[PADSIM_CONTROLLERS] = {
    {0xA7C1D2E0, 0x5B3F, 0x4E8A, {0x9C, 0x61, 0x51, 0xD0, 0xC0, 0xDE, 0x00, 0x01}},
    {0xA7C1D2E0, 0x5B3F, 0x4E8A, {0x9C, 0x61, 0x51, 0xD0, 0xC0, 0xDE, 0x00, 0x02}},
    {0xA7C1D2E0, 0x5B3F, 0x4E8A, {0x9C, 0x61, 0x51, 0xD0, 0xC0, 0xDE, 0x00, 0x03}},
    {0xA7C1D2E0, 0x5B3F, 0x4E8A, {0x9C, 0x61, 0x51, 0xD0, 0xC0, 0xDE, 0x00, 0x04}},
};
// Product GUID in DirectInput's HID form: Data1 is MAKELONG(vendor 0x1209, product 0xC0DE).
inline constexpr GUID kVirtualControllerProductGuid = {
    0xC0DE1209, 0x0000, 0x0000, {0x00, 0x00, 'P', 'I', 'D', 'V', 'I', 'D'}};
inline const char* const kVirtualControllerName[PADSIM_CONTROLLERS] = {
    "Virtual Stick 1", "Virtual Throttle 2", "Virtual Pedals 3", "Virtual Panel 4"};

// One controller in the block. The live fields are naturally aligned LONGs,
// so a reader in another process never sees a torn value.
struct VirtualControllerState {
    volatile LONG bPlugged;
    volatile LONG aiAxis[PADSIM_AXES];  // index = IdHwAxis - 1
    volatile LONG iReads;               // successful GetDeviceState calls on this controller
    GUID guidInstance;
    char szName[64];                    // instance name
    // Forced results of the DirectInput steps, DI_OK to behave normally: lets
    // tests make any set-up step of one controller fail.
    HRESULT hrCreateDevice, hrSetCooperativeLevel, hrSetDataFormat, hrSetProperty, hrAcquire, hrGetDeviceState;
    // Where Windows is harsher than Wine:
    volatile LONG iLostSeq;          // bumped by lose(): reads and Poll answer DIERR_INPUTLOST once, then
                                     // DIERR_NOTACQUIRED until the device is acquired again (sleep, hub reset)
    volatile LONG bPolled;           // a device that needs polling: its state changes only on Poll
    volatile LONG dwListDelayMs;     // listed by EnumDevices only this long after it was plugged
    volatile LONG dwPluggedAt;       // GetTickCount() at the last plug
    volatile LONG iFailingAcquires;  // that many Acquire calls fail first (a driver still starting)
};

// The block: named and shared for the DLL, private for in-process use.
// Written field by field with interlocked operations; a plug change bumps
// iPlugSeq after the flag, so a watcher that sees the new number also sees
// the new flag.
struct VirtualControllerBlock {
    DWORD dwMagic;
    DWORD dwVersion;
    DWORD dwSize;             // sizeof(VirtualControllerBlock)
    volatile LONG iPlugSeq;   // bumped on every plug change
    volatile LONG iReads;     // successful GetDeviceState calls, all controllers
    LONG iCount;              // controllers in use
    HRESULT hrCreate;         // forced result of DirectInput8Create itself, DI_OK to behave normally
    VirtualControllerState aCtrl[PADSIM_MAX_CONTROLLERS];
};

// Axis number (IdHwAxis) from its name: X Y Z Rx Ry Rz Sld1 Sld2, any case.
int padsimAxisFromName(int& iAxis, const char* name);
// Name of an axis number, or "?" outside 1..8.
const char* padsimAxisName(int iAxis);

// Handle on the block. Controllers are numbered 1..PADSIM_CONTROLLERS.
class VirtualControllers {
public:
    VirtualControllers() = default;
    ~VirtualControllers();
    VirtualControllers(const VirtualControllers&) = delete;
    VirtualControllers& operator=(const VirtualControllers&) = delete;

    // Maps the block; with bCreate a missing block is created in its default
    // state (controller 1 plugged, all axes centred, the others unplugged).
    // PADSIM_ERR_INVALID leaves the block mapped so that reset() can repair it.
    int open(int bCreate = 1);
    void close();
    // 1 when the block was created by this handle's open().
    int createdIt() const { return bCreated; }
    // PADSIM_OK when mapped and of this layout.
    int check() const;

    // Default state again, valid magic and version, counters zero; counts as a plug change.
    int reset();
    int setAxis(int iCtrl, int iAxis, long iValue);
    int getAxis(long& iValue, int iCtrl, int iAxis) const;
    int plug(int iCtrl) { return setPlugged(iCtrl, 1); }
    int unplug(int iCtrl) { return setPlugged(iCtrl, 0); }
    int setPlugged(int iCtrl, int bPlugged);
    // Plugs a controller that DirectInput lists only dwListDelayMs later and whose
    // first iFailingAcquires acquisitions fail, as Windows does while its driver starts.
    int plugLate(int iCtrl, long dwListDelayMs, long iFailingAcquires);
    // The controller's devices lose their acquisition (sleep and resume, a hub reset).
    int lose(int iCtrl);
    int setPolled(int iCtrl, int bPolled);
    // The controller comes back on another USB port: unplugged, then plugged under a
    // new instance GUID (the next one in its own series), as Windows gives one.
    int newPort(int iCtrl);
    // DirectInput8Create answers hr (DI_OK: works again).
    int setCreateResult(HRESULT hr);
    int isPlugged(int& bPlugged, int iCtrl) const;
    // Successful GetDeviceState calls: iCtrl 0 all controllers, else that one.
    int getReads(long& iReads, int iCtrl = 0) const;
    int getPlugSeq(long& iSeq) const;

    // The mapped block, or null; for the DLL, which reads it directly.
    VirtualControllerBlock* block() const { return pBlock; }
    // The change event while open, else null.
    HANDLE changedEvent() const { return hChanged; }

private:
    HANDLE hMapping = nullptr;
    VirtualControllerBlock* pBlock = nullptr;
    HANDLE hChanged = nullptr;
    int bCreated = 0;

    void changed() const {
        if (hChanged) SetEvent(hChanged);
    }
};

// Writes the default state into a block (magic last): the four controllers
// above, or with bEmpty none (in-process use adds its own).
void padsimInitBlock(VirtualControllerBlock& b, int bEmpty = 0);
// Adds a plugged, centred controller; its index, or -1 when the block is full.
int padsimAddController(VirtualControllerBlock& b, const GUID& guid, const char* name);
// Whether EnumDevices lists the controller now: plugged, and its listing delay over.
bool padsimListed(const VirtualControllerState& s);
