// Entry points of the virtual dinput8.dll. Placed beside a program (with
// WINEDLLOVERRIDES=dinput8=n,b under Wine) it stands in for the system's
// DirectInput 8 and offers only the virtual controllers.

#include "padsim/VirtualDirectInput.h"
#include "padsim/PadsimModule.h"

extern "C" HRESULT WINAPI DirectInput8Create(HINSTANCE, DWORD dwVersion, REFIID riid, LPVOID* ppvOut,
                                             LPUNKNOWN pOuter) {
    return padsimCreate(dwVersion, riid, ppvOut, pOuter, nullptr);
}

// Not a COM server: no class objects, no registration.
extern "C" HRESULT WINAPI DllCanUnloadNow() { return padsimLiveObjects() == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID, REFIID, LPVOID* ppv) {
    if (ppv) *ppv = nullptr;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllRegisterServer() { return E_NOTIMPL; }
extern "C" HRESULT WINAPI DllUnregisterServer() { return E_NOTIMPL; }
