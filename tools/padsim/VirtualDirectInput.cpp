#include "padsim/VirtualDirectInput.h"

#include "padsim/VirtualDevice.h"
#include "padsim/PadsimModule.h"

#include <cstring>
#include <new>

int padsimControllerIndex(REFGUID guid) {
    for (int c = 0; c < PADSIM_CONTROLLERS; ++c)
        if (IsEqualGUID(guid, kVirtualControllerGuid[c])) return c;
    return -1;
}

int padsimFillInstance(DIDEVICEINSTANCEA* pInst, int c) {
    DWORD dwSize = pInst->dwSize;
    if (dwSize != sizeof(DIDEVICEINSTANCEA) && dwSize != sizeof(DIDEVICEINSTANCE_DX3A)) return 1;
    memset(pInst, 0, dwSize);
    pInst->dwSize = dwSize;
    pInst->guidInstance = kVirtualControllerGuid[c];
    pInst->guidProduct = kVirtualControllerProductGuid;
    pInst->dwDevType = PADSIM_DEVTYPE;
    lstrcpynA(pInst->tszInstanceName, kVirtualControllerName[c], MAX_PATH);
    lstrcpynA(pInst->tszProductName, PADSIM_PRODUCT_NAME, MAX_PATH);
    if (dwSize == sizeof(DIDEVICEINSTANCEA)) {
        pInst->guidFFDriver = GUID_NULL;
        pInst->wUsagePage = 0x01;  // HID generic desktop
        pInst->wUsage = 0x04;      // joystick
    }
    return 0;
}

VirtualDirectInput::VirtualDirectInput() {
    padsimObjectCreated();
    padsimModuleAddRef();
}

VirtualDirectInput::~VirtualDirectInput() {
    padsimModuleRelease();
    padsimObjectDestroyed();
}

HRESULT VirtualDirectInput::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInput8A)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IDirectInput8A*>(this);
    return S_OK;
}

ULONG VirtualDirectInput::AddRef() { return InterlockedIncrement(&iRef); }

ULONG VirtualDirectInput::Release() {
    LONG n = InterlockedDecrement(&iRef);
    if (n == 0) delete this;
    return n;
}

HRESULT VirtualDirectInput::CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* ppDev, LPUNKNOWN pOuter) {
    if (!ppDev) return DIERR_INVALIDPARAM;
    *ppDev = nullptr;
    if (pOuter) return DIERR_NOAGGREGATION;
    int c = padsimControllerIndex(rguid);
    // An unplugged controller is not installed as far as the program can tell.
    if (c < 0 || !(padsimPluggedMask() & (1u << c))) return DIERR_DEVICENOTREG;
    VirtualDevice* pDev = new (std::nothrow) VirtualDevice(this, c);
    if (!pDev) return DIERR_OUTOFMEMORY;
    *ppDev = pDev;
    return DI_OK;
}

HRESULT VirtualDirectInput::EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA cb, LPVOID pvRef,
                                        DWORD dwFlags) {
    const DWORD dwKnownFlags = DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK | DIEDFL_INCLUDEALIASES |
                               DIEDFL_INCLUDEPHANTOMS | DIEDFL_INCLUDEHIDDEN;
    if (!cb || (dwFlags & ~dwKnownFlags)) return DIERR_INVALIDPARAM;
    bool bMatch;
    if (dwDevType <= DI8DEVCLASS_GAMECTRL)
        bMatch = dwDevType == DI8DEVCLASS_ALL || dwDevType == DI8DEVCLASS_GAMECTRL;
    else if (dwDevType >= DI8DEVTYPE_DEVICE && dwDevType <= DI8DEVTYPE_SUPPLEMENTAL)
        bMatch = dwDevType == DI8DEVTYPE_JOYSTICK;
    else
        return DIERR_INVALIDPARAM;
    // None of them has force feedback.
    if (!bMatch || (dwFlags & DIEDFL_FORCEFEEDBACK)) return DI_OK;

    AddRef();  // the callback may release the caller's reference
    for (int c = 0; c < PADSIM_CONTROLLERS; ++c) {
        if ((dwFlags & DIEDFL_ATTACHEDONLY) && !(padsimPluggedMask() & (1u << c))) continue;
        DIDEVICEINSTANCEA inst;
        inst.dwSize = sizeof inst;
        padsimFillInstance(&inst, c);
        if (cb(&inst, pvRef) == DIENUM_STOP) break;
    }
    Release();
    return DI_OK;
}

HRESULT VirtualDirectInput::GetDeviceStatus(REFGUID rguidInstance) {
    int c = padsimControllerIndex(rguidInstance);
    if (c < 0) return DIERR_DEVICENOTREG;
    return (padsimPluggedMask() & (1u << c)) ? DI_OK : DI_NOTATTACHED;
}

HRESULT VirtualDirectInput::RunControlPanel(HWND, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::Initialize(HINSTANCE, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::FindDevice(REFGUID, LPCSTR, LPGUID) { return E_NOTIMPL; }

HRESULT VirtualDirectInput::EnumDevicesBySemantics(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA,
                                                   LPVOID, DWORD) {
    return E_NOTIMPL;
}

HRESULT VirtualDirectInput::ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD,
                                             LPVOID) {
    return E_NOTIMPL;
}
