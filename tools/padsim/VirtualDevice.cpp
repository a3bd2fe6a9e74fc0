#include "padsim/VirtualDevice.h"

#include "padsim/PadsimModule.h"
#include "padsim/VirtualDirectInput.h"

#include <cstring>

namespace {
// Data formats we can fill: the two standard joystick records, whose first
// eight objects are the axes at the offsets of DIJOYSTATE (the start of
// DIJOYSTATE2 is the same record).
bool knownJoystickFormat(LPCDIDATAFORMAT f) {
    if (!f || f->dwSize != sizeof(DIDATAFORMAT) || f->dwObjSize != sizeof(DIOBJECTDATAFORMAT)) return false;
    if (!(f->dwFlags & DIDF_ABSAXIS) || !f->rgodf || f->dwNumObjs < PADSIM_AXES) return false;
    if (f->dwDataSize != sizeof(DIJOYSTATE) && f->dwDataSize != sizeof(DIJOYSTATE2)) return false;
    const DWORD adwAxisOfs[PADSIM_AXES] = {DIJOFS_X,  DIJOFS_Y,  DIJOFS_Z,          DIJOFS_RX,
                                           DIJOFS_RY, DIJOFS_RZ, DIJOFS_SLIDER(0), DIJOFS_SLIDER(1)};
    for (int a = 0; a < PADSIM_AXES; ++a)
        if (f->rgodf[a].dwOfs != adwAxisOfs[a]) return false;
    return true;
}
}  // namespace

VirtualDevice::VirtualDevice(VirtualDirectInput* pParent, int iCtrl) : pParent(pParent), iCtrl(iCtrl) {
    // An in-process device lives as long as its owner, which it must not keep alive.
    if (!pParent->inProcess()) pParent->AddRef();
    VirtualControllerBlock* b = pParent->block();
    iSeenLostSeq = b ? b->aCtrl[iCtrl].iLostSeq : 0;
    for (int a = 0; a < PADSIM_AXES; ++a) aiPolled[a] = b ? b->aCtrl[iCtrl].aiAxis[a] : LONG(PADSIM_AXIS_CENTRE);
    padsimObjectCreated();
}

VirtualDevice::~VirtualDevice() {
    padsimSetDeviceEvent(this, nullptr);
    if (!pParent->inProcess()) pParent->Release();
    padsimObjectDestroyed();
}

HRESULT VirtualDevice::forced(HRESULT VirtualControllerState::*step) {
    VirtualControllerBlock* b = pParent->block();
    return b ? b->aCtrl[iCtrl].*step : DI_OK;
}

HRESULT VirtualDevice::unexpected(const char* name) {
    touched();
    ++iUnexpectedCalls;
    sLastUnexpected = name;
    return E_NOTIMPL;
}

HRESULT VirtualDevice::QueryInterface(REFIID riid, void** ppv) {
    touched();
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInputDevice8A)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IDirectInputDevice8A*>(this);
    return S_OK;
}

ULONG VirtualDevice::AddRef() {
    touched();
    return InterlockedIncrement(&iRef);
}

ULONG VirtualDevice::Release() {
    if (iRef <= 0) {  // only an in-process device outlives its last reference
        ++iOverReleases;
        return 0;
    }
    LONG n = InterlockedDecrement(&iRef);
    if (n == 0 && !pParent->inProcess()) delete this;
    return n;
}

HRESULT VirtualDevice::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) {
    touched();
    ++iSetPropertyCalls;
    pPropGuid = &rguidProp;
    if (!pdiph) return E_POINTER;
    propHeader = *pdiph;
    if (HRESULT hr = forced(&VirtualControllerState::hrSetProperty)) return hr;
    if (bAcquired) return DIERR_ACQUIRED;
    // Predefined properties are small integers standing in for GUID references.
    if (pPropGuid != &DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
    if (pdiph->dwSize != sizeof(DIPROPDWORD) || pdiph->dwHeaderSize != sizeof(DIPROPHEADER) ||
        pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0)
        return DIERR_INVALIDPARAM;
    // Kept for the record; no buffered data is produced.
    dwBufferSize = reinterpret_cast<LPCDIPROPDWORD>(pdiph)->dwData;
    return DI_OK;
}

HRESULT VirtualDevice::Acquire() {
    touched();
    ++iAcquireCalls;
    if (HRESULT hr = forced(&VirtualControllerState::hrAcquire)) return hr;
    if (!pParent->plugged(iCtrl)) return DIERR_UNPLUGGED;
    VirtualControllerState& s = pParent->block()->aCtrl[iCtrl];
    // A driver that is still starting refuses; decremented only while above 0.
    for (LONG n = s.iFailingAcquires; n > 0; n = s.iFailingAcquires)
        if (InterlockedCompareExchange(&s.iFailingAcquires, n - 1, n) == n) return DIERR_NOTINITIALIZED;
    if (!dwDataSize) return DIERR_INVALIDPARAM;
    if (bAcquired) return S_FALSE;
    bAcquired = 1;
    return DI_OK;
}

HRESULT VirtualDevice::Unacquire() {
    touched();
    ++iUnacquireCalls;
    if (!bAcquired) return DI_NOEFFECT;
    bAcquired = 0;
    return DI_OK;
}

HRESULT VirtualDevice::readable() {
    VirtualControllerState& s = pParent->block()->aCtrl[iCtrl];
    // As with a real cable pulled, or sleep and resume: the acquisition is gone until Acquire succeeds again.
    LONG iLost = s.iLostSeq;
    if (!pParent->plugged(iCtrl) || iLost != iSeenLostSeq) {
        iSeenLostSeq = iLost;
        if (bAcquired) {
            bAcquired = 0;
            return DIERR_INPUTLOST;
        }
    }
    return bAcquired ? DI_OK : DIERR_NOTACQUIRED;
}

// Windows reads a polled device only here; Wine polls inside GetDeviceState.
HRESULT VirtualDevice::Poll() {
    touched();
    ++iPollCalls;
    if (HRESULT hr = readable()) return hr;
    VirtualControllerState& s = pParent->block()->aCtrl[iCtrl];
    if (!s.bPolled) return DI_NOEFFECT;
    for (int a = 0; a < PADSIM_AXES; ++a) aiPolled[a] = s.aiAxis[a];
    return DI_OK;
}

HRESULT VirtualDevice::GetDeviceState(DWORD cbData, LPVOID pvData) {
    touched();
    ++iGetDeviceStateCalls;
    dwLastStateSize = cbData;
    if (!pParent->plugged(iCtrl)) return readable();
    if (HRESULT hr = forced(&VirtualControllerState::hrGetDeviceState)) return hr;
    if (HRESULT hr = readable()) return hr;
    if (!pvData || !dwDataSize || cbData != dwDataSize) return DIERR_INVALIDPARAM;
    VirtualControllerBlock* b = pParent->block();
    VirtualControllerState& s = b->aCtrl[iCtrl];
    DIJOYSTATE2 st = {};
    LONG* apAxis[PADSIM_AXES] = {&st.lX, &st.lY, &st.lZ, &st.lRx, &st.lRy, &st.lRz, &st.rglSlider[0], &st.rglSlider[1]};
    for (int a = 0; a < PADSIM_AXES; ++a) *apAxis[a] = s.bPolled ? aiPolled[a] : s.aiAxis[a];
    for (DWORD& pov : st.rgdwPOV) pov = 0xFFFFFFFF;  // centred
    memcpy(pvData, &st, cbData);
    InterlockedIncrement(&s.iReads);
    InterlockedIncrement(&b->iReads);
    return DI_OK;
}

HRESULT VirtualDevice::SetDataFormat(LPCDIDATAFORMAT pdf) {
    touched();
    ++iDataFormatCalls;
    if (HRESULT hr = forced(&VirtualControllerState::hrSetDataFormat)) return hr;
    if (bAcquired) return DIERR_ACQUIRED;
    if (!knownJoystickFormat(pdf)) return DIERR_INVALIDPARAM;
    pDataFormat = pdf;
    dwDataSize = pdf->dwDataSize;
    return DI_OK;
}

HRESULT VirtualDevice::SetEventNotification(HANDLE hEvent) {
    touched();
    if (bAcquired) return DIERR_ACQUIRED;  // as DirectInput
    padsimSetDeviceEvent(this, hEvent);
    return DI_OK;
}

HRESULT VirtualDevice::SetCooperativeLevel(HWND hwnd, DWORD dwFlags) {
    touched();
    hCoopWnd = hwnd;
    dwCoopFlags = dwFlags;
    if (HRESULT hr = forced(&VirtualControllerState::hrSetCooperativeLevel)) return hr;
    const DWORD dwKnown = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    bool bOneMode = !(dwFlags & DISCL_EXCLUSIVE) != !(dwFlags & DISCL_NONEXCLUSIVE);
    bool bOneScope = !(dwFlags & DISCL_FOREGROUND) != !(dwFlags & DISCL_BACKGROUND);
    if ((dwFlags & ~dwKnown) || !bOneMode || !bOneScope) return DIERR_INVALIDPARAM;
    if (bAcquired) return DIERR_ACQUIRED;
    // Foreground and exclusive modes are accepted but not enforced: nothing
    // else competes for a virtual controller. The DLL tells this window of plug changes.
    if (!pParent->inProcess() && hwnd && IsWindow(hwnd)) padsimSetNotifyWindow(hwnd);
    return DI_OK;
}

// Not used by the program.
HRESULT VirtualDevice::GetCapabilities(LPDIDEVCAPS) { return unexpected("GetCapabilities"); }
HRESULT VirtualDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) { return unexpected("EnumObjects"); }
HRESULT VirtualDevice::GetProperty(REFGUID, LPDIPROPHEADER) { return unexpected("GetProperty"); }
HRESULT VirtualDevice::GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return unexpected("GetDeviceData");
}
HRESULT VirtualDevice::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) { return unexpected("GetObjectInfo"); }
HRESULT VirtualDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA) { return unexpected("GetDeviceInfo"); }
HRESULT VirtualDevice::RunControlPanel(HWND, DWORD) { return unexpected("RunControlPanel"); }
HRESULT VirtualDevice::Initialize(HINSTANCE, DWORD, REFGUID) { return unexpected("Initialize"); }
HRESULT VirtualDevice::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN) {
    if (ppdeff) *ppdeff = nullptr;
    return unexpected("CreateEffect");
}
HRESULT VirtualDevice::EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) { return unexpected("EnumEffects"); }
HRESULT VirtualDevice::GetEffectInfo(LPDIEFFECTINFOA, REFGUID) { return unexpected("GetEffectInfo"); }
HRESULT VirtualDevice::GetForceFeedbackState(LPDWORD) { return unexpected("GetForceFeedbackState"); }
HRESULT VirtualDevice::SendForceFeedbackCommand(DWORD) { return unexpected("SendForceFeedbackCommand"); }
HRESULT VirtualDevice::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) {
    return unexpected("EnumCreatedEffectObjects");
}
HRESULT VirtualDevice::Escape(LPDIEFFESCAPE) { return unexpected("Escape"); }
HRESULT VirtualDevice::SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return unexpected("SendDeviceData");
}
HRESULT VirtualDevice::EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) {
    return unexpected("EnumEffectsInFile");
}
HRESULT VirtualDevice::WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) {
    return unexpected("WriteEffectToFile");
}
HRESULT VirtualDevice::BuildActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return unexpected("BuildActionMap"); }
HRESULT VirtualDevice::SetActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return unexpected("SetActionMap"); }
HRESULT VirtualDevice::GetImageInfo(LPDIDEVICEIMAGEINFOHEADERA) { return unexpected("GetImageInfo"); }
