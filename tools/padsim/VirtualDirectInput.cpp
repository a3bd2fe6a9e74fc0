#include "padsim/VirtualDirectInput.h"

#include "padsim/PadsimModule.h"

#include <new>

namespace {
VirtualDirectInput* gpInProcess = nullptr;
}

VirtualDirectInput::VirtualDirectInput(int bInProcess) : iRef(bInProcess ? 0 : 1) {
    if (bInProcess) {
        pPrivate.reset(new VirtualControllerBlock);
        padsimInitBlock(*pPrivate, 1);
        return;
    }
    padsimObjectCreated();
    padsimModuleAddRef();
}

VirtualDirectInput::~VirtualDirectInput() {
    if (gpInProcess == this) gpInProcess = nullptr;
    for (VirtualDevice* d : aDevices) delete d;
    if (pPrivate) return;
    padsimModuleRelease();
    padsimObjectDestroyed();
}

int VirtualDirectInput::addController(const GUID& guid, const char* name) {
    return padsimAddController(*pPrivate, guid, name);
}

void VirtualDirectInput::setAxis(int i, int iAxis, LONG value) {
    if (InterlockedExchange(&controller(i).aiAxis[iAxis - 1], value) != value) padsimSignalDevices(this, i);
}

void VirtualDirectInput::unplug(int i) {
    controller(i).bPlugged = 0;
    for (VirtualDevice* d : aDevices)
        if (d->controller() == i) d->bAcquired = 0;
}

VirtualDevice* VirtualDirectInput::lastDevice(int i) {
    for (size_t n = aDevices.size(); n-- > 0;)
        if (aDevices[n]->controller() == i) return aDevices[n];
    return nullptr;
}

VirtualControllerBlock* VirtualDirectInput::block() const { return pPrivate ? pPrivate.get() : padsimValidBlock(); }

void VirtualDirectInput::fillInstance(DIDEVICEINSTANCEA& inst, int c) {
    memset(&inst, 0, sizeof inst);
    inst.dwSize = sizeof inst;
    VirtualControllerBlock* b = block();
    if (!b || c < 0 || c >= b->iCount) return;
    inst.guidInstance = b->aCtrl[c].guidInstance;
    inst.guidProduct = kVirtualControllerProductGuid;
    inst.dwDevType = PADSIM_DEVTYPE;
    lstrcpynA(inst.tszInstanceName, b->aCtrl[c].szName, MAX_PATH);
    lstrcpynA(inst.tszProductName, PADSIM_PRODUCT_NAME, MAX_PATH);
    inst.wUsagePage = 0x01;  // HID generic desktop
    inst.wUsage = 0x04;      // joystick
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
    // The in-process object belongs to its owner, whatever the count says.
    if (n == 0 && !pPrivate) delete this;
    return n;
}

HRESULT VirtualDirectInput::CreateDevice(REFGUID rguid, LPDIRECTINPUTDEVICE8A* ppDev, LPUNKNOWN pOuter) {
    if (!ppDev) return E_POINTER;
    *ppDev = nullptr;
    if (pOuter) return DIERR_NOAGGREGATION;
    VirtualControllerBlock* b = block();
    for (int c = 0; b && c < b->iCount; ++c) {
        if (!IsEqualGUID(rguid, b->aCtrl[c].guidInstance)) continue;
        if (b->aCtrl[c].hrCreateDevice != DI_OK) return b->aCtrl[c].hrCreateDevice;
        // An unplugged controller is not installed as far as the program can tell.
        if (!b->aCtrl[c].bPlugged) return DIERR_DEVICENOTREG;
        VirtualDevice* pDev = new (std::nothrow) VirtualDevice(this, c);
        if (!pDev) return DIERR_OUTOFMEMORY;
        if (pPrivate) aDevices.push_back(pDev);
        *ppDev = pDev;
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;
}

// Delivers the plugged controllers for DI8DEVCLASS_GAMECTRL with
// DIEDFL_ATTACHEDONLY, the program's only question; anything else delivers nothing.
HRESULT VirtualDirectInput::EnumDevices(DWORD dwDevType, LPDIENUMDEVICESCALLBACKA cb, LPVOID pvRef, DWORD dwFlags) {
    ++iEnumDevicesCalls;
    dwLastEnumClass = dwDevType;
    dwLastEnumFlags = dwFlags;
    if (!cb) return DIERR_INVALIDPARAM;
    if (dwDevType != DI8DEVCLASS_GAMECTRL || !(dwFlags & DIEDFL_ATTACHEDONLY)) return DI_OK;
    AddRef();  // the callback may release the caller's reference
    // By index and block afresh each time: a callback may add or unplug controllers.
    // Windows announces a controller before it lists it: one plugged too recently is not listed yet.
    for (int c = 0; block() && c < block()->iCount; ++c) {
        if (!padsimListed(block()->aCtrl[c])) continue;
        DIDEVICEINSTANCEA inst;
        fillInstance(inst, c);
        if (cb(&inst, pvRef) == DIENUM_STOP) break;
    }
    Release();
    return DI_OK;
}

// Not used by the program.
HRESULT VirtualDirectInput::GetDeviceStatus(REFGUID) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::RunControlPanel(HWND, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::Initialize(HINSTANCE, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::FindDevice(REFGUID, LPCSTR, LPGUID) { return E_NOTIMPL; }
HRESULT VirtualDirectInput::EnumDevicesBySemantics(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID,
                                                   DWORD) {
    return E_NOTIMPL;
}
HRESULT VirtualDirectInput::ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD,
                                             LPVOID) {
    return E_NOTIMPL;
}

HRESULT padsimCreate(DWORD dwVersion, REFIID riid, LPVOID* ppvOut, LPUNKNOWN pOuter, VirtualDirectInput* pInProcess) {
    if (!ppvOut) return DIERR_INVALIDPARAM;
    *ppvOut = nullptr;
    if (dwVersion < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
    if (dwVersion > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
    if (pOuter) return DIERR_NOAGGREGATION;
    // Single-byte text only: the wide interface is not offered.
    if (!IsEqualIID(riid, IID_IDirectInput8A) && !IsEqualIID(riid, IID_IUnknown)) return DIERR_NOINTERFACE;
    // A DirectInput that cannot start, as the test asked: decided before any object exists.
    HRESULT hrForced = DI_OK;
    if (pInProcess) {
        hrForced = pInProcess->block()->hrCreate;
    } else {
        VirtualControllers vc;
        if (vc.open(0) == PADSIM_OK) hrForced = vc.block()->hrCreate;
    }
    if (FAILED(hrForced)) return hrForced;
    VirtualDirectInput* pDI = pInProcess;
    if (pDI) pDI->AddRef();
    else pDI = new (std::nothrow) VirtualDirectInput(0);
    if (!pDI) return DIERR_OUTOFMEMORY;
    *ppvOut = static_cast<IDirectInput8A*>(pDI);
    return DI_OK;
}

void padsimSetInProcess(VirtualDirectInput* pDI) { gpInProcess = pDI; }

HRESULT WINAPI padsimDirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riid, LPVOID* ppvOut, LPUNKNOWN pOuter) {
    if (!gpInProcess) {
        if (ppvOut) *ppvOut = nullptr;
        return E_FAIL;
    }
    return padsimCreate(dwVersion, riid, ppvOut, pOuter, gpInProcess);
}
