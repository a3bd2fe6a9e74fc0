// Entry points of the virtual dinput8.dll. Placed beside a program (with
// WINEDLLOVERRIDES=dinput8=n,b under Wine) it stands in for the system's
// DirectInput 8 and offers only the virtual controllers.

#include "padsim/VirtualDirectInput.h"
#include "padsim/PadsimModule.h"

#include <new>

extern "C" HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riid, LPVOID* ppvOut,
                                             LPUNKNOWN pOuter) {
    if (!ppvOut) return DIERR_INVALIDPARAM;
    *ppvOut = nullptr;
    if (dwVersion < 0x0800) return DIERR_OLDDIRECTINPUTVERSION;
    if (dwVersion > 0x0800) return DIERR_BETADIRECTINPUTVERSION;
    if (pOuter) return DIERR_NOAGGREGATION;
    // Single-byte text only: the wide interface is not offered.
    if (!IsEqualIID(riid, IID_IDirectInput8A) && !IsEqualIID(riid, IID_IUnknown)) return DIERR_NOINTERFACE;
    VirtualDirectInput* pDI = new (std::nothrow) VirtualDirectInput();
    if (!pDI) return DIERR_OUTOFMEMORY;
    *ppvOut = static_cast<IDirectInput8A*>(pDI);
    return DI_OK;
}

// Not a COM server: no class objects, no registration.
extern "C" HRESULT WINAPI DllCanUnloadNow() { return padsimLiveObjects() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* ppv) {
    if (ppv) *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllRegisterServer() { return E_NOTIMPL; }
extern "C" HRESULT WINAPI DllUnregisterServer() { return E_NOTIMPL; }
