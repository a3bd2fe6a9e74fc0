#include "padsim/VirtualDevice.h"

#include "padsim/VirtualDirectInput.h"
#include "padsim/PadsimModule.h"

#include <cstddef>
#include <cstring>

namespace {
// Predefined properties are small integers standing in for GUID references.
bool isProperty(REFGUID rguidProp, REFGUID predefined) { return &rguidProp == &predefined; }

bool validDwordHeader(LPCDIPROPHEADER p) {
    return p && p->dwSize == sizeof(DIPROPDWORD) && p->dwHeaderSize == sizeof(DIPROPHEADER) &&
           p->dwHow == DIPH_DEVICE && p->dwObj == 0;
}

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

LONG clampAxis(LONG v) { return v < 0 ? 0 : v > LONG(PADSIM_AXIS_MAX) ? LONG(PADSIM_AXIS_MAX) : v; }
}  // namespace

VirtualDevice::VirtualDevice(VirtualDirectInput* pParent, int iCtrl) : pParent(pParent), iCtrl(iCtrl) {
    pParent->AddRef();
    padsimObjectCreated();
}

VirtualDevice::~VirtualDevice() {
    pParent->Release();
    padsimObjectDestroyed();
}

HRESULT VirtualDevice::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInputDevice8A)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IDirectInputDevice8A*>(this);
    return S_OK;
}

ULONG VirtualDevice::AddRef() { return InterlockedIncrement(&iRef); }

ULONG VirtualDevice::Release() {
    LONG n = InterlockedDecrement(&iRef);
    if (n == 0) delete this;
    return n;
}

HRESULT VirtualDevice::GetCapabilities(LPDIDEVCAPS pCaps) {
    if (!pCaps || (pCaps->dwSize != sizeof(DIDEVCAPS) && pCaps->dwSize != sizeof(DIDEVCAPS_DX3)))
        return DIERR_INVALIDPARAM;
    DWORD dwSize = pCaps->dwSize;
    memset(pCaps, 0, dwSize);
    pCaps->dwSize = dwSize;
    pCaps->dwFlags = (padsimPluggedMask() & (1u << iCtrl)) ? DIDC_ATTACHED : 0;
    pCaps->dwDevType = PADSIM_DEVTYPE;
    pCaps->dwAxes = PADSIM_AXES;
    return DI_OK;
}

HRESULT VirtualDevice::GetProperty(REFGUID rguidProp, LPDIPROPHEADER pdiph) {
    if (!isProperty(rguidProp, DIPROP_BUFFERSIZE)) return DIERR_UNSUPPORTED;
    if (!validDwordHeader(pdiph)) return DIERR_INVALIDPARAM;
    reinterpret_cast<LPDIPROPDWORD>(pdiph)->dwData = dwBufferSize;
    return DI_OK;
}

HRESULT VirtualDevice::SetProperty(REFGUID rguidProp, LPCDIPROPHEADER pdiph) {
    if (!isProperty(rguidProp, DIPROP_BUFFERSIZE)) return DIERR_UNSUPPORTED;
    if (!validDwordHeader(pdiph)) return DIERR_INVALIDPARAM;
    if (bAcquired) return DIERR_ACQUIRED;
    // Kept and reported back; no buffered data is produced.
    dwBufferSize = reinterpret_cast<LPCDIPROPDWORD>(pdiph)->dwData;
    return DI_OK;
}

HRESULT VirtualDevice::Acquire() {
    if (!dwDataSize) return DIERR_INVALIDPARAM;
    if (bAcquired) return S_FALSE;
    if (!(padsimPluggedMask() & (1u << iCtrl))) return DIERR_UNPLUGGED;
    bAcquired = 1;
    return DI_OK;
}

HRESULT VirtualDevice::Unacquire() {
    if (!bAcquired) return DI_NOEFFECT;
    bAcquired = 0;
    return DI_OK;
}

HRESULT VirtualDevice::GetDeviceState(DWORD cbData, LPVOID pvData) {
    if (!pvData || !dwDataSize || cbData != dwDataSize) return DIERR_INVALIDPARAM;
    if (!bAcquired) return DIERR_NOTACQUIRED;
    VirtualControllerBlock* b = padsimValidBlock();
    if (!b || !b->aCtrl[iCtrl].bPlugged) {
        // As with a real cable pulled: the acquisition is gone until Acquire succeeds again.
        bAcquired = 0;
        return DIERR_INPUTLOST;
    }
    VirtualControllerState& s = b->aCtrl[iCtrl];
    DIJOYSTATE2 st = {};
    st.lX = clampAxis(s.aiAxis[0]);
    st.lY = clampAxis(s.aiAxis[1]);
    st.lZ = clampAxis(s.aiAxis[2]);
    st.lRx = clampAxis(s.aiAxis[3]);
    st.lRy = clampAxis(s.aiAxis[4]);
    st.lRz = clampAxis(s.aiAxis[5]);
    st.rglSlider[0] = clampAxis(s.aiAxis[6]);
    st.rglSlider[1] = clampAxis(s.aiAxis[7]);
    for (DWORD& pov : st.rgdwPOV) pov = 0xFFFFFFFF;  // centred
    memcpy(pvData, &st, cbData);
    InterlockedIncrement(&s.iReads);
    InterlockedIncrement(&b->iReads);
    return DI_OK;
}

HRESULT VirtualDevice::SetDataFormat(LPCDIDATAFORMAT pdf) {
    if (bAcquired) return DIERR_ACQUIRED;
    if (!knownJoystickFormat(pdf)) return DIERR_INVALIDPARAM;
    dwDataSize = pdf->dwDataSize;
    return DI_OK;
}

HRESULT VirtualDevice::SetCooperativeLevel(HWND hwnd, DWORD dwFlags) {
    const DWORD dwKnown = DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_NOWINKEY;
    bool bOneMode = !(dwFlags & DISCL_EXCLUSIVE) != !(dwFlags & DISCL_NONEXCLUSIVE);
    bool bOneScope = !(dwFlags & DISCL_FOREGROUND) != !(dwFlags & DISCL_BACKGROUND);
    if ((dwFlags & ~dwKnown) || !bOneMode || !bOneScope) return DIERR_INVALIDPARAM;
    if (hwnd && !IsWindow(hwnd)) return E_HANDLE;
    if (!hwnd && (dwFlags & (DISCL_FOREGROUND | DISCL_EXCLUSIVE))) return E_HANDLE;
    if (bAcquired) return DIERR_ACQUIRED;
    // Foreground and exclusive modes are accepted but not enforced: nothing
    // else competes for a virtual controller.
    if (hwnd) padsimSetNotifyWindow(hwnd);
    return DI_OK;
}

HRESULT VirtualDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA pdidi) {
    if (!pdidi || padsimFillInstance(pdidi, iCtrl) != 0) return DIERR_INVALIDPARAM;
    return DI_OK;
}

HRESULT VirtualDevice::Poll() {
    // Not a polled device: DirectInput answers DI_NOEFFECT for those.
    return bAcquired ? DI_NOEFFECT : DIERR_NOTACQUIRED;
}

// Neither used by the program nor offered by these controllers.
HRESULT VirtualDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::SetEventNotification(HANDLE) { return E_NOTIMPL; }
HRESULT VirtualDevice::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::RunControlPanel(HWND, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::Initialize(HINSTANCE, DWORD, REFGUID) { return E_NOTIMPL; }
HRESULT VirtualDevice::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN) {
    if (ppdeff) *ppdeff = nullptr;
    return DIERR_UNSUPPORTED;
}
HRESULT VirtualDevice::EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::GetEffectInfo(LPDIEFFECTINFOA, REFGUID) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::GetForceFeedbackState(LPDWORD) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::SendForceFeedbackCommand(DWORD) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) {
    return DIERR_UNSUPPORTED;
}
HRESULT VirtualDevice::Escape(LPDIEFFESCAPE) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) {
    return DIERR_UNSUPPORTED;
}
HRESULT VirtualDevice::WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) { return DIERR_UNSUPPORTED; }
HRESULT VirtualDevice::BuildActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::SetActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return E_NOTIMPL; }
HRESULT VirtualDevice::GetImageInfo(LPDIDEVICEIMAGEINFOHEADERA) { return E_NOTIMPL; }
