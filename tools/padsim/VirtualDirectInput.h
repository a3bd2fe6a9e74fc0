#pragma once
// IDirectInput8A over the virtual controllers: enumerates the plugged ones as
// game controllers and creates their devices. What the program does not use
// answers E_NOTIMPL.

#include <dinput.h>

class VirtualDirectInput final : public IDirectInput8A {
public:
    VirtualDirectInput();

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
    ~VirtualDirectInput();
    volatile LONG iRef = 1;
};

// Index 0..3 of the controller with that instance GUID, or -1.
int padsimControllerIndex(REFGUID guid);
// Fills an instance record for controller index c; dwSize must be that of
// DIDEVICEINSTANCEA or of its DirectX 3 form. 0, or 1 for another size.
int padsimFillInstance(DIDEVICEINSTANCEA* pInst, int c);
// The device type of every virtual controller: a HID standard joystick.
const DWORD PADSIM_DEVTYPE = DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8) | DIDEVTYPE_HID;
