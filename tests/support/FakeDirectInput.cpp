#include "support/FakeDirectInput.h"

#include <cstring>

namespace {
FakeDirectInput* gpCurrent = nullptr;

// DIPROP_* are not GUIDs but small numbers cast to a GUID reference.
inline const GUID* propId(REFGUID prop) { return &prop; }

void copyName(char (&out)[MAX_PATH], const std::string& name) {
    memset(out, 0, sizeof out);
    memcpy(out, name.data(), name.size() < MAX_PATH - 1 ? name.size() : MAX_PATH - 1);
}
}  // namespace

FakeDirectInputCreateCall gFakeDirectInputCreate = {0, nullptr, 0};

void setFakeDirectInput(FakeDirectInput* di) { gpCurrent = di; }

HRESULT WINAPI fakeDirectInput8Create(HINSTANCE inst, DWORD version, REFIID riid, LPVOID* out, LPUNKNOWN outer) {
    ++gFakeDirectInputCreate.iCalls;
    gFakeDirectInputCreate.hInst = inst;
    gFakeDirectInputCreate.dwVersion = version;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer || version != 0x0800 || !IsEqualIID(riid, IID_IDirectInput8A)) return DIERR_INVALIDPARAM;
    if (!gpCurrent) return E_FAIL;
    gpCurrent->AddRef();
    *out = static_cast<IDirectInput8A*>(gpCurrent);
    return DI_OK;
}

GUID fakeGuid(unsigned char seed) {
    GUID g;
    unsigned char* b = reinterpret_cast<unsigned char*>(&g);
    for (unsigned i = 0; i < sizeof g; ++i) b[i] = static_cast<unsigned char>(seed + i);
    return g;
}

DIJOYSTATE2 centredJoyState() {
    DIJOYSTATE2 s;
    memset(&s, 0, sizeof s);
    s.lX = s.lY = s.lZ = s.lRx = s.lRy = s.lRz = 32767;
    s.rglSlider[0] = s.rglSlider[1] = 32767;
    for (DWORD& pov : s.rgdwPOV) pov = static_cast<DWORD>(-1);
    return s;
}

void setJoyAxis(DIJOYSTATE2& s, IdHwAxis a, LONG value) {
    switch (a) {
    case HWA_X: s.lX = value; break;
    case HWA_Y: s.lY = value; break;
    case HWA_Z: s.lZ = value; break;
    case HWA_RX: s.lRx = value; break;
    case HWA_RY: s.lRy = value; break;
    case HWA_RZ: s.lRz = value; break;
    case HWA_SLD1: s.rglSlider[0] = value; break;
    case HWA_SLD2: s.rglSlider[1] = value; break;
    default: break;
    }
}

// ---------------------------------------------------------------- FakeDiDevice

FakeDiDevice::FakeDiDevice(FakeDirectInput& o, int controller) : owner(o), iController(controller) {}

HRESULT FakeDiDevice::unexpected(const char* name) {
    touched();
    ++iUnexpectedCalls;
    sLastUnexpected = name;
    return E_NOTIMPL;
}

HRESULT FakeDiDevice::QueryInterface(REFIID riid, void** ppv) {
    touched();
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInputDevice8A)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IDirectInputDevice8A*>(this);
    return S_OK;
}

ULONG FakeDiDevice::AddRef() {
    touched();
    ++iAddRefCalls;
    return static_cast<ULONG>(++lRefs);
}

ULONG FakeDiDevice::Release() {
    ++iReleaseCalls;
    if (lRefs == 0) {
        ++iOverReleases;
        return 0;
    }
    return static_cast<ULONG>(--lRefs);
}

HRESULT FakeDiDevice::SetProperty(REFGUID prop, LPCDIPROPHEADER header) {
    touched();
    ++iSetPropertyCalls;
    pPropGuid = propId(prop);
    if (!header) return E_POINTER;
    propHeader = *header;
    FakeController& c = owner.controller(iController);
    if (c.hrSetProperty != DI_OK) return c.hrSetProperty;
    if (bAcquired) return DIERR_ACQUIRED;
    if (header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
    if (pPropGuid != &DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;  // the only one this stand-in knows
    if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE || header->dwObj != 0)
        return DIERR_INVALIDPARAM;
    dwPropData = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
    dwBufferSize = dwPropData;
    return DI_OK;
}

HRESULT FakeDiDevice::Acquire() {
    touched();
    ++iAcquireCalls;
    FakeController& c = owner.controller(iController);
    if (c.hrAcquire != DI_OK) return c.hrAcquire;
    if (!c.bPlugged) return DIERR_UNPLUGGED;
    if (!pDataFormat) return DIERR_INVALIDPARAM;  // DirectInput needs a format first
    if (bAcquired) return DI_NOEFFECT;
    bAcquired = 1;
    return DI_OK;
}

HRESULT FakeDiDevice::Unacquire() {
    touched();
    ++iUnacquireCalls;
    if (!bAcquired) return DI_NOEFFECT;
    bAcquired = 0;
    return DI_OK;
}

HRESULT FakeDiDevice::GetDeviceState(DWORD size, LPVOID data) {
    touched();
    ++iGetDeviceStateCalls;
    dwLastStateSize = size;
    FakeController& c = owner.controller(iController);
    if (!c.bPlugged) return DIERR_INPUTLOST;
    if (c.hrGetDeviceState != DI_OK) return c.hrGetDeviceState;
    if (!bAcquired) return DIERR_NOTACQUIRED;
    if (!data) return E_POINTER;
    if (pDataFormat != &c_dfDIJoystick2 || size != sizeof(DIJOYSTATE2)) return DIERR_INVALIDPARAM;
    if (!c.script.empty()) {
        c.state = c.script.front();
        c.script.pop_front();
    }
    memcpy(data, &c.state, sizeof c.state);
    return DI_OK;
}

HRESULT FakeDiDevice::SetDataFormat(LPCDIDATAFORMAT format) {
    touched();
    ++iDataFormatCalls;
    FakeController& c = owner.controller(iController);
    if (c.hrSetDataFormat != DI_OK) return c.hrSetDataFormat;
    if (!format) return E_POINTER;
    if (bAcquired) return DIERR_ACQUIRED;
    pDataFormat = format;
    return DI_OK;
}

HRESULT FakeDiDevice::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    touched();
    ++iCooperativeLevelCalls;
    hCoopWnd = hwnd;
    dwCoopFlags = flags;
    FakeController& c = owner.controller(iController);
    if (c.hrSetCooperativeLevel != DI_OK) return c.hrSetCooperativeLevel;
    // Exactly one of each pair, as DirectInput insists.
    DWORD excl = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    DWORD ground = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (excl == 0 || excl == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || ground == 0 ||
        ground == (DISCL_FOREGROUND | DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    return DI_OK;
}

HRESULT FakeDiDevice::GetCapabilities(LPDIDEVCAPS) { return unexpected("GetCapabilities"); }
HRESULT FakeDiDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA, LPVOID, DWORD) { return unexpected("EnumObjects"); }
HRESULT FakeDiDevice::GetProperty(REFGUID, LPDIPROPHEADER) { return unexpected("GetProperty"); }
HRESULT FakeDiDevice::GetDeviceData(DWORD, LPDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return unexpected("GetDeviceData");
}
HRESULT FakeDiDevice::SetEventNotification(HANDLE) { return unexpected("SetEventNotification"); }
HRESULT FakeDiDevice::GetObjectInfo(LPDIDEVICEOBJECTINSTANCEA, DWORD, DWORD) { return unexpected("GetObjectInfo"); }
HRESULT FakeDiDevice::GetDeviceInfo(LPDIDEVICEINSTANCEA) { return unexpected("GetDeviceInfo"); }
HRESULT FakeDiDevice::RunControlPanel(HWND, DWORD) { return unexpected("RunControlPanel"); }
HRESULT FakeDiDevice::Initialize(HINSTANCE, DWORD, REFGUID) { return unexpected("Initialize"); }
HRESULT FakeDiDevice::CreateEffect(REFGUID, LPCDIEFFECT, LPDIRECTINPUTEFFECT* out, LPUNKNOWN) {
    if (out) *out = nullptr;
    return unexpected("CreateEffect");
}
HRESULT FakeDiDevice::EnumEffects(LPDIENUMEFFECTSCALLBACKA, LPVOID, DWORD) { return unexpected("EnumEffects"); }
HRESULT FakeDiDevice::GetEffectInfo(LPDIEFFECTINFOA, REFGUID) { return unexpected("GetEffectInfo"); }
HRESULT FakeDiDevice::GetForceFeedbackState(LPDWORD) { return unexpected("GetForceFeedbackState"); }
HRESULT FakeDiDevice::SendForceFeedbackCommand(DWORD) { return unexpected("SendForceFeedbackCommand"); }
HRESULT FakeDiDevice::EnumCreatedEffectObjects(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK, LPVOID, DWORD) {
    return unexpected("EnumCreatedEffectObjects");
}
HRESULT FakeDiDevice::Escape(LPDIEFFESCAPE) { return unexpected("Escape"); }
HRESULT FakeDiDevice::Poll() { return unexpected("Poll"); }
HRESULT FakeDiDevice::SendDeviceData(DWORD, LPCDIDEVICEOBJECTDATA, LPDWORD, DWORD) {
    return unexpected("SendDeviceData");
}
HRESULT FakeDiDevice::EnumEffectsInFile(LPCSTR, LPDIENUMEFFECTSINFILECALLBACK, LPVOID, DWORD) {
    return unexpected("EnumEffectsInFile");
}
HRESULT FakeDiDevice::WriteEffectToFile(LPCSTR, DWORD, LPDIFILEEFFECT, DWORD) {
    return unexpected("WriteEffectToFile");
}
HRESULT FakeDiDevice::BuildActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return unexpected("BuildActionMap"); }
HRESULT FakeDiDevice::SetActionMap(LPDIACTIONFORMATA, LPCSTR, DWORD) { return unexpected("SetActionMap"); }
HRESULT FakeDiDevice::GetImageInfo(LPDIDEVICEIMAGEINFOHEADERA) { return unexpected("GetImageInfo"); }

// ------------------------------------------------------------- FakeDirectInput

FakeDirectInput::FakeDirectInput() {}

FakeDirectInput::~FakeDirectInput() {
    if (gpCurrent == this) gpCurrent = nullptr;
}

HRESULT FakeDirectInput::unexpected(const char* name) {
    ++iUnexpectedCalls;
    sLastUnexpected = name;
    return E_NOTIMPL;
}

int FakeDirectInput::addController(const GUID& guidInstance, const char* instName, const char* productName) {
    FakeController c;
    c.guidInstance = guidInstance;
    c.guidProduct = guidInstance;
    c.guidProduct.Data1 ^= 0xA5A5A5A5u;  // distinct from the instance, as on Windows
    c.sInstName = instName ? instName : "";
    c.sProductName = productName ? productName : "";
    c.dwDevType = DI8DEVTYPE_JOYSTICK | (DI8DEVTYPEJOYSTICK_STANDARD << 8);
    c.bPlugged = 1;
    c.state = centredJoyState();
    c.hrCreateDevice = c.hrSetCooperativeLevel = c.hrSetDataFormat = c.hrSetProperty = DI_OK;
    c.hrAcquire = c.hrGetDeviceState = DI_OK;
    aControllers.push_back(c);
    return static_cast<int>(aControllers.size()) - 1;
}

void FakeDirectInput::plug(int i) { controller(i).bPlugged = 1; }

void FakeDirectInput::unplug(int i) {
    controller(i).bPlugged = 0;
    for (auto& d : aDevices)
        if (d->controller() == i) d->bAcquired = 0;
}

FakeDiDevice* FakeDirectInput::lastDevice(int i) {
    for (size_t n = aDevices.size(); n-- > 0;)
        if (aDevices[n]->controller() == i) return aDevices[n].get();
    return nullptr;
}

void FakeDirectInput::fillInstance(DIDEVICEINSTANCEA& out, int i) const {
    const FakeController& c = aControllers[static_cast<size_t>(i)];
    memset(&out, 0, sizeof out);
    out.dwSize = sizeof out;
    out.guidInstance = c.guidInstance;
    out.guidProduct = c.guidProduct;
    out.dwDevType = c.dwDevType;
    copyName(out.tszInstanceName, c.sInstName);
    copyName(out.tszProductName, c.sProductName);
    out.wUsagePage = 1;  // generic desktop
    out.wUsage = 4;      // joystick
}

HRESULT FakeDirectInput::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDirectInput8A)) return E_NOINTERFACE;
    AddRef();
    *ppv = static_cast<IDirectInput8A*>(this);
    return S_OK;
}

ULONG FakeDirectInput::AddRef() { return static_cast<ULONG>(++lRefs); }

ULONG FakeDirectInput::Release() {
    if (lRefs == 0) {
        ++iOverReleases;
        return 0;
    }
    return static_cast<ULONG>(--lRefs);
}

HRESULT FakeDirectInput::CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8A* out, LPUNKNOWN outer) {
    ++iCreateDeviceCalls;
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return DIERR_NOAGGREGATION;
    for (int i = 0; i < controllerCount(); ++i) {
        FakeController& c = controller(i);
        if (!IsEqualGUID(c.guidInstance, guid)) continue;
        if (c.hrCreateDevice != DI_OK) return c.hrCreateDevice;
        if (!c.bPlugged) return DIERR_DEVICENOTREG;
        aDevices.push_back(std::unique_ptr<FakeDiDevice>(new FakeDiDevice(*this, i)));
        *out = aDevices.back().get();
        return DI_OK;
    }
    return DIERR_DEVICENOTREG;
}

HRESULT FakeDirectInput::EnumDevices(DWORD devClass, LPDIENUMDEVICESCALLBACKA cb, LPVOID ref, DWORD flags) {
    ++iEnumDevicesCalls;
    dwLastEnumClass = devClass;
    dwLastEnumFlags = flags;
    if (hrEnumDevices != DI_OK) return hrEnumDevices;
    if (!cb) return DIERR_INVALIDPARAM;
    if (devClass != DI8DEVCLASS_GAMECTRL || !(flags & DIEDFL_ATTACHEDONLY)) return DI_OK;
    // By index: a callback may add or plug controllers, which can move the vector.
    for (int i = 0; i < controllerCount(); ++i) {
        if (!controller(i).bPlugged) continue;
        DIDEVICEINSTANCEA inst;
        fillInstance(inst, i);
        ++iCallbacks;
        if (cb(&inst, ref) == DIENUM_STOP) break;
    }
    return DI_OK;
}

HRESULT FakeDirectInput::GetDeviceStatus(REFGUID) { return unexpected("GetDeviceStatus"); }
HRESULT FakeDirectInput::RunControlPanel(HWND, DWORD) { return unexpected("RunControlPanel"); }
HRESULT FakeDirectInput::Initialize(HINSTANCE, DWORD) { return unexpected("Initialize"); }
HRESULT FakeDirectInput::FindDevice(REFGUID, LPCSTR, LPGUID) { return unexpected("FindDevice"); }
HRESULT FakeDirectInput::EnumDevicesBySemantics(LPCSTR, LPDIACTIONFORMATA, LPDIENUMDEVICESBYSEMANTICSCBA, LPVOID,
                                                DWORD) {
    return unexpected("EnumDevicesBySemantics");
}
HRESULT FakeDirectInput::ConfigureDevices(LPDICONFIGUREDEVICESCALLBACK, LPDICONFIGUREDEVICESPARAMSA, DWORD, LPVOID) {
    return unexpected("ConfigureDevices");
}
