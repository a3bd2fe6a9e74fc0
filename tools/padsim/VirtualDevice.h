#pragma once
// IDirectInputDevice8A of one virtual controller. It reads as a joystick
// without buttons or hats: eight absolute axes taken from the block on every
// GetDeviceState. The rules follow DirectInput: a data format before Acquire,
// Acquire before reading, settings only while not acquired, an unplugged
// controller loses its acquisition. It records what the program asked of it.

#include <dinput.h>

#include "padsim/VirtualControllers.h"

class VirtualDirectInput;

class VirtualDevice final : public IDirectInputDevice8A {
public:
    // iCtrl: index in the block; holds a reference on its DirectInput object.
    VirtualDevice(VirtualDirectInput* pParent, int iCtrl);
    ~VirtualDevice();

    LONG refCount() const { return iRef; }
    int controller() const { return iCtrl; }
    const VirtualDirectInput* parent() const { return pParent; }

    // Record.
    HWND hCoopWnd = nullptr;
    DWORD dwCoopFlags = 0;
    int iDataFormatCalls = 0;
    const DIDATAFORMAT* pDataFormat = nullptr;  // as passed; null before SetDataFormat
    int iSetPropertyCalls = 0;
    const GUID* pPropGuid = nullptr;  // identity of the property (DIPROP_* are small numbers)
    DIPROPHEADER propHeader = {};      // as passed
    DWORD dwBufferSize = 0;            // DIPROP_BUFFERSIZE once accepted
    int iAcquireCalls = 0, iUnacquireCalls = 0, iGetDeviceStateCalls = 0, iPollCalls = 0;
    DWORD dwLastStateSize = 0;
    int iOverReleases = 0;       // Release with no reference held (in-process devices only)
    int iCallsAfterRelease = 0;  // calls made while no reference was held
    int iUnexpectedCalls = 0;    // methods the program has no use for
    const char* sLastUnexpected = "";
    int bAcquired = 0;
    HANDLE hNotify = nullptr;  // the event of SetEventNotification, set on every change

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IDirectInputDeviceA
    STDMETHOD(GetCapabilities)(LPDIDEVCAPS pCaps) override;
    STDMETHOD(EnumObjects)(LPDIENUMDEVICEOBJECTSCALLBACKA cb, LPVOID pvRef, DWORD dwFlags) override;
    STDMETHOD(GetProperty)(REFGUID rguidProp, LPDIPROPHEADER pdiph) override;
    STDMETHOD(SetProperty)(REFGUID rguidProp, LPCDIPROPHEADER pdiph) override;
    STDMETHOD(Acquire)() override;
    STDMETHOD(Unacquire)() override;
    STDMETHOD(GetDeviceState)(DWORD cbData, LPVOID pvData) override;
    STDMETHOD(GetDeviceData)(DWORD cbObjectData, LPDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut,
                             DWORD dwFlags) override;
    STDMETHOD(SetDataFormat)(LPCDIDATAFORMAT pdf) override;
    STDMETHOD(SetEventNotification)(HANDLE hEvent) override;
    STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD dwFlags) override;
    STDMETHOD(GetObjectInfo)(LPDIDEVICEOBJECTINSTANCEA pdidoi, DWORD dwObj, DWORD dwHow) override;
    STDMETHOD(GetDeviceInfo)(LPDIDEVICEINSTANCEA pdidi) override;
    STDMETHOD(RunControlPanel)(HWND hwndOwner, DWORD dwFlags) override;
    STDMETHOD(Initialize)(HINSTANCE hinst, DWORD dwVersion, REFGUID rguid) override;
    // IDirectInputDevice2A
    STDMETHOD(CreateEffect)(REFGUID rguid, LPCDIEFFECT peff, LPDIRECTINPUTEFFECT* ppdeff, LPUNKNOWN pOuter) override;
    STDMETHOD(EnumEffects)(LPDIENUMEFFECTSCALLBACKA cb, LPVOID pvRef, DWORD dwEffType) override;
    STDMETHOD(GetEffectInfo)(LPDIEFFECTINFOA pdei, REFGUID rguid) override;
    STDMETHOD(GetForceFeedbackState)(LPDWORD pdwOut) override;
    STDMETHOD(SendForceFeedbackCommand)(DWORD dwFlags) override;
    STDMETHOD(EnumCreatedEffectObjects)(LPDIENUMCREATEDEFFECTOBJECTSCALLBACK cb, LPVOID pvRef, DWORD fl) override;
    STDMETHOD(Escape)(LPDIEFFESCAPE pesc) override;
    STDMETHOD(Poll)() override;
    STDMETHOD(SendDeviceData)(DWORD cbObjectData, LPCDIDEVICEOBJECTDATA rgdod, LPDWORD pdwInOut,
                              DWORD fl) override;
    // IDirectInputDevice7A
    STDMETHOD(EnumEffectsInFile)(LPCSTR pszFileName, LPDIENUMEFFECTSINFILECALLBACK pec, LPVOID pvRef,
                                 DWORD dwFlags) override;
    STDMETHOD(WriteEffectToFile)(LPCSTR pszFileName, DWORD dwEntries, LPDIFILEEFFECT rgDiFileEft,
                                 DWORD dwFlags) override;
    // IDirectInputDevice8A
    STDMETHOD(BuildActionMap)(LPDIACTIONFORMATA pdiaf, LPCSTR pszUserName, DWORD dwFlags) override;
    STDMETHOD(SetActionMap)(LPDIACTIONFORMATA pdiaf, LPCSTR pszUserName, DWORD dwFlags) override;
    STDMETHOD(GetImageInfo)(LPDIDEVICEIMAGEINFOHEADERA pHeader) override;

private:
    HRESULT unexpected(const char* name);
    // The forced result of a step for this controller; DI_OK to behave normally.
    HRESULT forced(HRESULT VirtualControllerState::*step);
    void touched() {
        if (iRef <= 0) ++iCallsAfterRelease;
    }
    // DIERR_INPUTLOST once after the controller was plugged out or lost, then
    // DIERR_NOTACQUIRED until acquired again; DI_OK while readable.
    HRESULT readable();

    volatile LONG iRef = 1;
    VirtualDirectInput* pParent;
    int iCtrl;
    DWORD dwDataSize = 0;  // of the data format set; 0 before SetDataFormat
    LONG iSeenLostSeq;     // the controller's loss this device has answered already
    LONG aiPolled[PADSIM_AXES];  // what a polled controller's last Poll took in
};
