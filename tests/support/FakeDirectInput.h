#pragma once
// A stand-in for DirectInput 8 (single-byte interfaces) with scripted game
// controllers, for tests and benchmarks. Single-threaded, like the program.
//
// Use:
//   FakeDirectInput di;
//   int stick = di.addController(guidOf(1), "Stick", "Stick Product");
//   di.state(stick).lX = 1000;              // what GetDeviceState delivers
//   dev.configure(&di);                      // or via fakeDirectInput8Create
//   FakeDiDevice* d = di.lastDevice(stick);  // the record of that device's calls
//
// Controllers:
// - EnumDevices delivers the plugged controllers in the order they were added,
//   but only for DI8DEVCLASS_GAMECTRL with DIEDFL_ATTACHEDONLY (anything else
//   delivers nothing and returns DI_OK); it stops when the callback returns
//   DIENUM_STOP. The record passed is a stack copy, valid during the callback only.
// - unplug(i): not enumerated, CreateDevice refuses it (DIERR_DEVICENOTREG), its
//   devices lose their acquisition, Acquire gives DIERR_UNPLUGGED and
//   GetDeviceState DIERR_INPUTLOST. plug(i) undoes this.
// - Each GetDeviceState takes the next state of queueState(i, ...) if any (it then
//   stays the current one), else delivers state(i).
//
// Devices (FakeDiDevice) behave as DirectInput does where the program can tell:
// Acquire on an acquired device gives S_FALSE; GetDeviceState needs an acquired
// device (DIERR_NOTACQUIRED), the joystick format and its size (DIERR_INVALIDPARAM);
// SetDataFormat and SetProperty refuse while acquired (DIERR_ACQUIRED). The
// failure fields of FakeController force results. Methods the program has no use
// for return E_NOTIMPL and count as unexpected calls.
//
// Lifetime: the FakeDirectInput owns every device it hands out; Release only
// counts, so a test can read refCount() after the code under test let go.
// Releasing below zero is counted in iOverReleases. Reference counts start at 0
// for the FakeDirectInput (the factory hands out the first reference) and at 1
// for a device (CreateDevice hands out that one). Declare the FakeDirectInput
// before the Quorix and HwDevice objects that use it, so it outlives them.

#include <windows.h>
#include <dinput.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "hw/IdHwAxis.h"

class FakeDirectInput;

// One scripted game controller.
struct FakeController {
    GUID guidInstance;
    GUID guidProduct;
    std::string sInstName;
    std::string sProductName;
    DWORD dwDevType;  // DI8DEVTYPE_JOYSTICK unless a test changes it
    int bPlugged;
    DIJOYSTATE2 state;
    std::deque<DIJOYSTATE2> script;

    // Forced results (DI_OK: behave normally).
    HRESULT hrCreateDevice;
    HRESULT hrSetCooperativeLevel;
    HRESULT hrSetDataFormat;
    HRESULT hrSetProperty;
    HRESULT hrAcquire;  // e.g. S_FALSE
    HRESULT hrGetDeviceState;
};

// One device interface handed out by CreateDevice, with the record of its calls.
class FakeDiDevice : public IDirectInputDevice8A {
public:
    FakeDiDevice(FakeDirectInput& owner, int controller);

    LONG refCount() const { return lRefs; }
    int controller() const { return iController; }

    // Record.
    int iCooperativeLevelCalls = 0;
    HWND hCoopWnd = nullptr;
    DWORD dwCoopFlags = 0;
    int iDataFormatCalls = 0;
    const DIDATAFORMAT* pDataFormat = nullptr;  // as passed; compare with &c_dfDIJoystick2
    int iSetPropertyCalls = 0;
    const GUID* pPropGuid = nullptr;  // identity of the property (DIPROP_* are small numbers)
    DIPROPHEADER propHeader = {};      // header as passed
    DWORD dwPropData = 0;              // dwData of a DIPROPDWORD
    DWORD dwBufferSize = 0;            // DIPROP_BUFFERSIZE once accepted
    int iAcquireCalls = 0;
    int iUnacquireCalls = 0;
    int iGetDeviceStateCalls = 0;
    DWORD dwLastStateSize = 0;
    int iAddRefCalls = 0;
    int iReleaseCalls = 0;
    int iOverReleases = 0;
    int iCallsAfterRelease = 0;  // any call made while no reference was held
    int iUnexpectedCalls = 0;    // methods the program should not call (Poll among them)
    std::string sLastUnexpected;
    int bAcquired = 0;

    // IUnknown
    STDMETHOD_(HRESULT, QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDirectInputDevice8A
    STDMETHOD(GetCapabilities)(LPDIDEVCAPS caps) override;
    STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA cb, LPVOID ref, DWORD flags) override;
    STDMETHOD(GetProperty)(REFGUID prop, LPDIPROPHEADER header) override;
    STDMETHOD(SetProperty)(REFGUID prop, LPCDIPROPHEADER header) override;
    STDMETHOD(Acquire)() override;
    STDMETHOD(Unacquire)() override;
    STDMETHOD(GetDeviceState)(DWORD size, LPVOID data) override;
    STDMETHOD(GetDeviceData)(DWORD size, LPDIDEVICEOBJECTDATA data, LPDWORD inOut, DWORD flags) override;
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT format) override;
    STDMETHOD(SetEventNotification)(HANDLE event) override;
    STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD flags) override;
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA info, DWORD obj, DWORD how) override;
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA info) override;
    STDMETHOD(RunControlPanel)(HWND owner, DWORD flags) override;
    STDMETHOD(Initialize)(HINSTANCE inst, DWORD version, REFGUID guid) override;
    STDMETHOD(CreateEffect)(REFGUID guid, LPCDIEFFECT eff, LPDIRECTINPUTEFFECT* out, LPUNKNOWN outer) override;
    STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA cb, LPVOID ref, DWORD type) override;
    STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA info, REFGUID guid) override;
    STDMETHOD(GetForceFeedbackState)(LPDWORD out) override;
    STDMETHOD(SendForceFeedbackCommand)(DWORD flags) override;
    STDMETHOD(EnumCreatedEffectObjects)(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK cb, LPVOID ref, DWORD flags) override;
    STDMETHOD(Escape)(LPDIEFFESCAPE esc) override;
    STDMETHOD(Poll)() override;
    STDMETHOD(SendDeviceData)(DWORD size, LPCDIDEVICEOBJECTDATA data, LPDWORD inOut, DWORD flags) override;
    STDMETHOD(EnumEffectsInFile)(LPCSTR file, LPDIENUMEFFECTSINFILECALLBACK cb, LPVOID ref, DWORD flags) override;
    STDMETHOD(WriteEffectToFile)(LPCSTR file, DWORD entries, LPDIFILEEFFECT effects, DWORD flags) override;
    STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA format, LPCSTR user, DWORD flags) override;
    STDMETHOD(SetActionMap)(LPDIACTIONFORMATA format, LPCSTR user, DWORD flags) override;
    STDMETHOD(GetImageInfo)(LPDIDEVICEIMAGEINFOHEADERA header) override;

private:
    HRESULT unexpected(const char* name);
    void touched() {
        if (lRefs <= 0) ++iCallsAfterRelease;
    }

    FakeDirectInput& owner;
    int iController;
    LONG lRefs = 1;
};

class FakeDirectInput : public IDirectInput8A {
public:
    FakeDirectInput();
    virtual ~FakeDirectInput();
    FakeDirectInput(const FakeDirectInput&) = delete;
    FakeDirectInput& operator=(const FakeDirectInput&) = delete;

    // Adds a plugged controller with a centred state; returns its index.
    int addController(const GUID& guidInstance, const char* instName, const char* productName);
    FakeController& controller(int i) { return aControllers[static_cast<size_t>(i)]; }
    int controllerCount() const { return static_cast<int>(aControllers.size()); }
    DIJOYSTATE2& state(int i) { return controller(i).state; }
    void queueState(int i, const DIJOYSTATE2& s) { controller(i).script.push_back(s); }
    void plug(int i);
    void unplug(int i);

    // Every device created so far, in creation order (owned here).
    int deviceCount() const { return static_cast<int>(aDevices.size()); }
    FakeDiDevice* device(int n) { return aDevices[static_cast<size_t>(n)].get(); }
    // The newest device created for controller i; nullptr if none.
    FakeDiDevice* lastDevice(int i);

    LONG refCount() const { return lRefs; }

    // Record and forced results of the interface itself.
    int iEnumDevicesCalls = 0;
    DWORD dwLastEnumClass = 0;
    DWORD dwLastEnumFlags = 0;
    int iCallbacks = 0;  // enumeration callbacks made
    HRESULT hrEnumDevices = DI_OK;
    int iCreateDeviceCalls = 0;
    int iOverReleases = 0;
    int iUnexpectedCalls = 0;
    std::string sLastUnexpected;

    // IUnknown
    STDMETHOD_(HRESULT, QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDirectInput8A
    STDMETHOD(CreateDevice)(REFGUID guid, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) override;
    STDMETHOD(EnumDevices)(DWORD devClass, LPDIENUMDEVICESCALLBACKA cb, LPVOID ref, DWORD flags) override;
    STDMETHOD(GetDeviceStatus)(REFGUID guid) override;
    STDMETHOD(RunControlPanel)(HWND owner, DWORD flags) override;
    STDMETHOD(Initialize)(HINSTANCE inst, DWORD version) override;
    STDMETHOD(FindDevice)(REFGUID guid, LPCSTR name, LPGUID out) override;
    STDMETHOD(EnumDevicesBySemantics)(LPCSTR user, LPDIACTIONFORMATA format, LPDIENUMDEVICESBYSEMANTICSCBA cb,
                                      LPVOID ref, DWORD flags) override;
    STDMETHOD(ConfigureDevices)(LPDICONFIGUREDEVICESCALLBACK cb, LPDICONFIGUREDEVICESPARAMSA params, DWORD flags,
                                LPVOID ref) override;

    // The instance record EnumDevices delivers for controller i.
    void fillInstance(DIDEVICEINSTANCEA& out, int i) const;

private:
    HRESULT unexpected(const char* name);

    std::vector<FakeController> aControllers;
    std::vector<std::unique_ptr<FakeDiDevice>> aDevices;
    LONG lRefs = 0;
};

// The instance the factory below hands out; nullptr makes it fail.
void setFakeDirectInput(FakeDirectInput* di);
// Record of the factory's last call.
struct FakeDirectInputCreateCall {
    int iCalls;
    HINSTANCE hInst;
    DWORD dwVersion;
};
extern FakeDirectInputCreateCall gFakeDirectInputCreate;
// Fits Quorix::pDirectInput8Create: hands out the FakeDirectInput of
// setFakeDirectInput (with a new reference) for IID_IDirectInput8A and version
// 0x0800; otherwise DIERR_INVALIDPARAM or, without an instance, E_FAIL.
HRESULT WINAPI fakeDirectInput8Create(HINSTANCE inst, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer);

// A GUID whose 16 bytes are seed, seed+1, ... (distinct seeds give distinct GUIDs).
GUID fakeGuid(unsigned char seed);
// A state with every axis and slider centred (32767) and nothing pressed
// (POV hats centred as -1).
DIJOYSTATE2 centredJoyState();
// Sets the member of s that axis a reads (lX ... rglSlider[1]); HWA_NONE changes nothing.
void setJoyAxis(DIJOYSTATE2& s, IdHwAxis a, LONG value);
