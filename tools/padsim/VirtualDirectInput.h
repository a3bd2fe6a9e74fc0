#pragma once
// IDirectInput8A over a block of virtual controllers. In the DLL it reads the
// process's shared block and deletes itself on its last Release. In-process
// (tests), it owns a private block that starts without controllers, never
// touches the shared one, keeps every device it creates (so their records stay
// readable after the program let go) and is destroyed by its owner, after
// everything that uses it. Methods the program has no use for answer E_NOTIMPL.
//
// In-process use:
//   VirtualDirectInput di(1);
//   int stick = di.addController(guid, "Stick");
//   di.setAxis(stick, HWA_X, 1000);          // what GetDeviceState delivers
//   di.controller(stick).hrAcquire = S_FALSE; // force a step to fail
//   di.lose(stick);                           // reads fail until acquired again
//   dev.configure(&di);                       // or through padsimDirectInput8Create
//   VirtualDevice* d = di.lastDevice(stick);  // the record of that device's calls

#include <dinput.h>

#include <memory>
#include <vector>

#include "padsim/VirtualControllers.h"
#include "padsim/VirtualDevice.h"

class VirtualDirectInput final : public IDirectInput8A {
public:
    // bInProcess 0: the DLL's object on the shared block, reference count 1.
    // 1: a private block, reference count 0 (each hand-out adds one).
    explicit VirtualDirectInput(int bInProcess = 1);
    ~VirtualDirectInput();
    VirtualDirectInput(const VirtualDirectInput&) = delete;
    VirtualDirectInput& operator=(const VirtualDirectInput&) = delete;

    // In-process set-up; i is the index addController returned.
    int addController(const GUID& guid, const char* name);
    VirtualControllerState& controller(int i) { return pPrivate->aCtrl[i]; }
    // Sets the events of controller i's devices when the value changes; any thread.
    void setAxis(int i, int iAxis, LONG value);
    void plug(int i) {
        controller(i).dwPluggedAt = static_cast<LONG>(GetTickCount());
        controller(i).bPlugged = 1;
    }
    // Not enumerated, not creatable, and its devices lose their acquisition.
    void unplug(int i);
    // Plugged again on another USB port, under a new instance GUID.
    void newPort(int i, const GUID& guid) {
        unplug(i);
        controller(i).guidInstance = guid;
        plug(i);
    }
    // Its devices lose their acquisition while it stays plugged (sleep, a hub reset).
    void lose(int i) { InterlockedIncrement(&controller(i).iLostSeq); }
    // Every device created so far, in creation order, and the newest of controller i.
    int deviceCount() const { return static_cast<int>(aDevices.size()); }
    VirtualDevice* device(int n) { return aDevices[static_cast<size_t>(n)]; }
    VirtualDevice* lastDevice(int i);
    // The record EnumDevices delivers for controller c.
    void fillInstance(DIDEVICEINSTANCEA& inst, int c);

    // The controllers: the private block, or the shared one when mapped and of our layout.
    VirtualControllerBlock* block() const;
    int inProcess() const { return pPrivate != nullptr; }
    bool plugged(int c) const {
        VirtualControllerBlock* b = block();
        return b && c < b->iCount && b->aCtrl[c].bPlugged;
    }

    // Record.
    int iEnumDevicesCalls = 0;
    DWORD dwLastEnumClass = 0, dwLastEnumFlags = 0;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDirectInput8A
    STDMETHOD(CreateDevice)(REFGUID rguid, LPDIRECTINPUTDEVICE8A* ppDev, LPUNKNOWN pOuter) override;
    STDMETHOD(EnumDevices)(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA cb, LPVOID pvRef, DWORD dwFlags) override;
    STDMETHOD(GetDeviceStatus)(REFGUID rguidInstance) override;
    STDMETHOD(RunControlPanel)(HWND hwndOwner, DWORD dwFlags) override;
    STDMETHOD(Initialize)(HINSTANCE hinst, DWORD dwVersion) override;
    STDMETHOD(FindDevice)(REFGUID rguid, LPCSTR pszName, LPGUID pguidInstance) override;
    STDMETHOD(EnumDevicesBySemantics)(LPCSTR pszUserName, LPDIACTIONFORMATA pFormat,
                                      LPDIENUMDEVICESBYSEMANTICSCBA cb, LPVOID pvRef, DWORD dwFlags) override;
    STDMETHOD(ConfigureDevices)(LPDICONFIGUREDEVICESCALLBACK cb, LPDICONFIGUREDEVICESPARAMSA pParams,
                                DWORD dwFlags, LPVOID pvRefData) override;

private:
    volatile LONG iRef;
    std::unique_ptr<VirtualControllerBlock> pPrivate;
    std::vector<VirtualDevice*> aDevices;  // in-process only; deleted with this
};

// DirectInput8Create of the DLL, and with pInProcess the same checks handing out that object.
HRESULT padsimCreate(DWORD dwVersion, REFIID riid, LPVOID* ppvOut, LPUNKNOWN pOuter,
                     VirtualDirectInput* pInProcess);
// For the program's DirectInput seam in tests: hands out the object of
// padsimSetInProcess (E_FAIL without one) with a new reference.
void padsimSetInProcess(VirtualDirectInput* pDI);
HRESULT WINAPI padsimDirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riid, LPVOID* ppvOut, LPUNKNOWN pOuter);

// The device type of every virtual controller: a HID standard joystick.
const DWORD PADSIM_DEVTYPE = DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8) | DIDEVTYPE_HID;
