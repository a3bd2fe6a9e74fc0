// The project's virtual dinput8.dll, loaded by full path into the test process
// and driven through padsim_control (in-process) and padsimctl (another process).

#include "support/ChildProcess.h"
#include "support/TestPaths.h"
#include "padsim/VirtualControllers.h"

#include <dbt.h>
#include <dinput.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
typedef HRESULT(WINAPI* CreateFn)(HINSTANCE, DWORD, REFIID, LPVOID*, LPUNKNOWN);

HMODULE ghDll = nullptr;
std::string gsCopy;  // temporary copy of the DLL, under Wine
CreateFn gCreate = nullptr;
std::vector<WPARAM> gEvents;  // wParam of each WM_DEVICECHANGE received
bool gbHidRecord = true;      // every lParam was the HID interface record

LRESULT CALLBACK recordProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DEVICECHANGE) {
        gEvents.push_back(wp);
        const DEV_BROADCAST_DEVICEINTERFACE_A* r = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(lp);
        const GUID hid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
        gbHidRecord = gbHidRecord && r && r->dbcc_devicetype == DBT_DEVTYP_DEVICEINTERFACE &&
                      IsEqualGUID(r->dbcc_classguid, hid);
        return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND makeWindow(const char* cls) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = recordProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    if (!RegisterClassA(&wc)) return nullptr;
    return CreateWindowExA(0, cls, cls, 0, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
}

void dropWindow(HWND hwnd, const char* cls) {
    DestroyWindow(hwnd);
    UnregisterClassA(cls, GetModuleHandleA(nullptr));
}

// Pumps this thread's messages until n device events arrived or ms passed.
bool pumpEvents(size_t n, DWORD ms) {
    return waitFor(ms, [n] {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        return gEvents.size() >= n;
    });
}

BOOL CALLBACK collect(const DIDEVICEINSTANCEA* inst, void* ref) {
    static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*inst);
    return DIENUM_CONTINUE;
}
}  // namespace

class VirtualControllerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string path = buildDir() + "padsim\\dinput8.dll";
        ghDll = LoadLibraryA(path.c_str());
        char loaded[MAX_PATH] = {};
        if (ghDll) GetModuleFileNameA(ghDll, loaded, MAX_PATH);
        if (ghDll && lstrcmpiA(loaded, path.c_str()) != 0) {
            // Wine (not Windows) hands back its own dinput8, already loaded for
            // this exe, even for a full path: load the same file under another name.
            FreeLibrary(ghDll);
            char tmp[MAX_PATH] = {};
            GetTempPathA(MAX_PATH, tmp);
            gsCopy = std::string(tmp) + "padsim_dinput8_" + std::to_string(GetCurrentProcessId()) + ".dll";
            ghDll = CopyFileA(path.c_str(), gsCopy.c_str(), FALSE) ? LoadLibraryA(gsCopy.c_str()) : nullptr;
        }
        if (ghDll)
            gCreate = reinterpret_cast<CreateFn>(reinterpret_cast<void*>(GetProcAddress(ghDll, "DirectInput8Create")));
    }
    static void TearDownTestSuite() {
        if (ghDll) FreeLibrary(ghDll);
        ghDll = nullptr;
        if (!gsCopy.empty()) DeleteFileA(gsCopy.c_str());
    }

    void SetUp() override {
        ASSERT_TRUE(gCreate) << "padsim\\dinput8.dll not loaded from " << buildDir();
        char loaded[MAX_PATH] = {};
        GetModuleFileNameA(ghDll, loaded, MAX_PATH);
        ASSERT_EQ(0, lstrcmpiA(loaded, gsCopy.empty() ? (buildDir() + "padsim\\dinput8.dll").c_str() : gsCopy.c_str()))
            << loaded;
        ASSERT_EQ(PADSIM_OK, vc.open(1));
        ASSERT_EQ(PADSIM_OK, vc.reset());
        ASSERT_EQ(DI_OK, gCreate(GetModuleHandleA(nullptr), 0x0800, IID_IDirectInput8A,
                                 reinterpret_cast<void**>(&pDI), nullptr));
        gEvents.clear();
        gbHidRecord = true;
    }
    void TearDown() override {
        if (pDev) {
            EXPECT_EQ(0u, pDev->Release());
        }
        if (pDI) {
            EXPECT_EQ(0u, pDI->Release());
        }
    }

    std::vector<DIDEVICEINSTANCEA> enumerate(DWORD dwType = DI8DEVCLASS_GAMECTRL, DWORD dwFlags = DIEDFL_ATTACHEDONLY) {
        std::vector<DIDEVICEINSTANCEA> found;
        EXPECT_EQ(DI_OK, pDI->EnumDevices(dwType, collect, &found, dwFlags));
        return found;
    }

    // The program's sequence for one controller (1..4), ending acquired.
    void openDevice(int iCtrl, HWND hwnd = nullptr) {
        ASSERT_EQ(DI_OK, pDI->CreateDevice(kVirtualControllerGuid[iCtrl - 1], &pDev, nullptr));
        ASSERT_EQ(DI_OK, pDev->SetCooperativeLevel(hwnd, DISCL_BACKGROUND | DISCL_NONEXCLUSIVE));
        ASSERT_EQ(DI_OK, pDev->SetDataFormat(&c_dfDIJoystick2));
        DIPROPDWORD dip = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 10};
        ASSERT_EQ(DI_OK, pDev->SetProperty(DIPROP_BUFFERSIZE, &dip.diph));
        ASSERT_EQ(DI_OK, pDev->Acquire());
    }

    VirtualControllers vc;
    IDirectInput8A* pDI = nullptr;
    IDirectInputDevice8A* pDev = nullptr;
};

TEST_F(VirtualControllerTest, EnumeratesWhatIsAskedForWithFixedIdentities) {
    ASSERT_EQ(PADSIM_OK, vc.plug(3));
    struct Case { DWORD dwType, dwFlags; std::vector<int> expected; } cases[] = {
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY, {1, 3}},
        {DI8DEVCLASS_ALL, DIEDFL_ATTACHEDONLY, {1, 3}},
        {DI8DEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY, {1, 3}},
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ALLDEVICES, {1, 2, 3, 4}},
        {DI8DEVCLASS_KEYBOARD, DIEDFL_ALLDEVICES, {}},
        {DI8DEVCLASS_GAMECTRL, DIEDFL_ATTACHEDONLY | DIEDFL_FORCEFEEDBACK, {}},
    };
    for (const Case& c : cases) {
        std::vector<DIDEVICEINSTANCEA> found = enumerate(c.dwType, c.dwFlags);
        ASSERT_EQ(c.expected.size(), found.size()) << "type " << c.dwType << " flags " << c.dwFlags;
        for (size_t i = 0; i < found.size(); ++i) {
            int k = c.expected[i] - 1;
            EXPECT_TRUE(IsEqualGUID(kVirtualControllerGuid[k], found[i].guidInstance));
            EXPECT_STREQ(kVirtualControllerName[k], found[i].tszInstanceName);
            EXPECT_STREQ("Quorix Virtual Controller", found[i].tszProductName);
            EXPECT_EQ(sizeof(DIDEVICEINSTANCEA), found[i].dwSize);
            EXPECT_EQ(DI8DEVTYPE_JOYSTICK, GET_DIDEVICE_TYPE(found[i].dwDevType));
        }
    }
    std::vector<DIDEVICEINSTANCEA> first;
    auto stopAtFirst = [](const DIDEVICEINSTANCEA* inst, void* ref) -> BOOL {
        static_cast<std::vector<DIDEVICEINSTANCEA>*>(ref)->push_back(*inst);
        return DIENUM_STOP;
    };
    EXPECT_EQ(DI_OK, pDI->EnumDevices(DI8DEVCLASS_GAMECTRL, stopAtFirst, &first, DIEDFL_ALLDEVICES));
    EXPECT_EQ(1u, first.size());
    EXPECT_EQ(DIERR_INVALIDPARAM, pDI->EnumDevices(DI8DEVCLASS_GAMECTRL, nullptr, nullptr, 0));
}

TEST_F(VirtualControllerTest, ProgramSequenceReadsTheAxesSetFromOutside) {
    ASSERT_EQ(PADSIM_OK, vc.plug(2));
    for (int a = 1; a <= PADSIM_AXES; ++a) ASSERT_EQ(PADSIM_OK, vc.setAxis(2, a, a * 1000 + 7));
    openDevice(2);
    EXPECT_EQ(S_FALSE, pDev->Acquire());  // already acquired, as DirectInput answers
    DIPROPDWORD dip = {{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 0};
    ASSERT_EQ(DI_OK, pDev->GetProperty(DIPROP_BUFFERSIZE, &dip.diph));
    EXPECT_EQ(10u, dip.dwData);

    DIJOYSTATE2 st;
    memset(&st, 0xAB, sizeof st);
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof st, &st));
    LONG got[PADSIM_AXES] = {st.lX, st.lY, st.lZ, st.lRx, st.lRy, st.lRz, st.rglSlider[0], st.rglSlider[1]};
    for (int a = 1; a <= PADSIM_AXES; ++a) EXPECT_EQ(a * 1000 + 7, got[a - 1]) << padsimAxisName(a);
    EXPECT_EQ(0xFFFFFFFFu, st.rgdwPOV[0]);
    EXPECT_EQ(0, st.rgbButtons[0]);
    EXPECT_EQ(0, st.lVX);

    ASSERT_EQ(PADSIM_OK, vc.setAxis(2, 8, 0));
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_EQ(0, st.rglSlider[1]);
    long iReads = 0, iCtrlReads = 0;
    vc.getReads(iReads);
    vc.getReads(iCtrlReads, 2);
    EXPECT_EQ(2, iReads);
    EXPECT_EQ(2, iCtrlReads);
    EXPECT_EQ(PADSIM_OK, vc.getReads(iCtrlReads, 1));
    EXPECT_EQ(0, iCtrlReads);
}

TEST_F(VirtualControllerTest, DeviceRefusesWhatDirectInputRefuses) {
    ASSERT_EQ(DI_OK, pDI->CreateDevice(kVirtualControllerGuid[0], &pDev, nullptr));
    DIJOYSTATE2 st = {};
    DIJOYSTATE small = {};
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->Acquire());  // no data format yet
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->SetDataFormat(&c_dfDIMouse));
    const DWORD bgShared = DISCL_BACKGROUND | DISCL_NONEXCLUSIVE;
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->SetCooperativeLevel(nullptr, bgShared | DISCL_FOREGROUND));
    EXPECT_EQ(E_HANDLE, pDev->SetCooperativeLevel(reinterpret_cast<HWND>(0x7ff0), bgShared));
    DIPROPDWORD bad = {{sizeof(DIPROPHEADER), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 10};
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->SetProperty(DIPROP_BUFFERSIZE, &bad.diph));
    ASSERT_EQ(DI_OK, pDev->SetDataFormat(&c_dfDIJoystick2));
    EXPECT_EQ(DIERR_NOTACQUIRED, pDev->GetDeviceState(sizeof st, &st));
    ASSERT_EQ(DI_OK, pDev->Acquire());
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->GetDeviceState(sizeof st - 1, &st));
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->GetDeviceState(sizeof st, nullptr));
    EXPECT_EQ(DIERR_ACQUIRED, pDev->SetDataFormat(&c_dfDIJoystick));
    EXPECT_EQ(DI_OK, pDev->Unacquire());
    EXPECT_EQ(DI_NOEFFECT, pDev->Unacquire());
    // The shorter standard record works too, sized to it.
    ASSERT_EQ(DI_OK, pDev->SetDataFormat(&c_dfDIJoystick));
    ASSERT_EQ(DI_OK, pDev->Acquire());
    EXPECT_EQ(DIERR_INVALIDPARAM, pDev->GetDeviceState(sizeof st, &st));
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof small, &small));
    EXPECT_EQ(PADSIM_AXIS_CENTRE, small.lY);
}

TEST_F(VirtualControllerTest, UnpluggedControllerLosesInputAndComesBack) {
    openDevice(1);
    ASSERT_EQ(PADSIM_OK, vc.unplug(1));
    DIJOYSTATE2 st = {};
    EXPECT_EQ(DIERR_INPUTLOST, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_EQ(DIERR_NOTACQUIRED, pDev->GetDeviceState(sizeof st, &st));  // lost means unacquired
    EXPECT_EQ(DIERR_UNPLUGGED, pDev->Acquire());
    EXPECT_TRUE(enumerate().empty());
    IDirectInputDevice8A* pOther = nullptr;
    EXPECT_EQ(DIERR_DEVICENOTREG, pDI->CreateDevice(kVirtualControllerGuid[0], &pOther, nullptr));
    EXPECT_EQ(nullptr, pOther);
    EXPECT_EQ(DI_NOTATTACHED, pDI->GetDeviceStatus(kVirtualControllerGuid[0]));

    ASSERT_EQ(PADSIM_OK, vc.plug(1));
    ASSERT_EQ(PADSIM_OK, vc.setAxis(1, 1, 12345));
    ASSERT_EQ(DI_OK, pDev->Acquire());
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_EQ(12345, st.lX);
    EXPECT_EQ(DI_OK, pDI->GetDeviceStatus(kVirtualControllerGuid[0]));
}

TEST_F(VirtualControllerTest, AnyBlockContentsGiveDefinedAnswers) {
    openDevice(1);
    DIJOYSTATE2 st = {};
    vc.block()->aCtrl[0].aiAxis[0] = -5;  // written around the API, as a stranger could
    vc.block()->aCtrl[0].aiAxis[1] = 100000;
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_EQ(0, st.lX);
    EXPECT_EQ(PADSIM_AXIS_MAX, st.lY);

    vc.block()->dwMagic = 0xDEADBEEF;
    EXPECT_EQ(DIERR_INPUTLOST, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_TRUE(enumerate().empty());
    EXPECT_EQ(PADSIM_ERR_INVALID, vc.setAxis(1, 1, 5));
    ASSERT_EQ(PADSIM_OK, vc.reset());
    EXPECT_EQ(1u, enumerate().size());

    struct Case { int iCtrl, iAxis; long iValue; int status; } cases[] = {
        {0, 1, 5, PADSIM_ERR_CTRL}, {5, 1, 5, PADSIM_ERR_CTRL}, {1, 0, 5, PADSIM_ERR_AXIS},
        {1, 9, 5, PADSIM_ERR_AXIS}, {1, 1, -1, PADSIM_ERR_VALUE}, {1, 1, 65536, PADSIM_ERR_VALUE},
        {4, 8, 65535, PADSIM_OK},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.status, vc.setAxis(c.iCtrl, c.iAxis, c.iValue)) << c.iCtrl << "/" << c.iAxis << "=" << c.iValue;
    int iAxis = 0;
    EXPECT_EQ(PADSIM_OK, padsimAxisFromName(iAxis, "sld2"));
    EXPECT_EQ(8, iAxis);
    EXPECT_EQ(PADSIM_ERR_AXIS, padsimAxisFromName(iAxis, "Sld3"));
}

TEST_F(VirtualControllerTest, PlugChangesReachTheCooperativeWindow) {
    HWND hwnd = makeWindow("PadsimTestWindow");
    ASSERT_NE(nullptr, hwnd);
    openDevice(1, hwnd);
    ASSERT_EQ(PADSIM_OK, vc.plug(2));
    ASSERT_TRUE(pumpEvents(1, 3000));
    ASSERT_EQ(PADSIM_OK, vc.plug(2));  // already plugged: no event
    ASSERT_EQ(PADSIM_OK, vc.unplug(2));
    ASSERT_TRUE(pumpEvents(2, 3000));
    // Out and in again between two looks of the watcher: only the number moved.
    InterlockedIncrement(&vc.block()->iPlugSeq);
    ASSERT_TRUE(pumpEvents(4, 3000));
    pumpEvents(5, 200);
    EXPECT_EQ((std::vector<WPARAM>{DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEREMOVECOMPLETE,
                                   DBT_DEVICEARRIVAL}),
              gEvents);
    EXPECT_TRUE(gbHidRecord);
    dropWindow(hwnd, "PadsimTestWindow");
}

TEST_F(VirtualControllerTest, WithoutCooperativeWindowTheQuorixFrameHears) {
    HWND hwnd = makeWindow("Quorix");
    ASSERT_NE(nullptr, hwnd) << "class Quorix already registered in this process";
    ASSERT_EQ(PADSIM_OK, vc.unplug(1));
    ASSERT_TRUE(pumpEvents(1, 3000));
    EXPECT_EQ(DBT_DEVICEREMOVECOMPLETE, gEvents[0]);
    dropWindow(hwnd, "Quorix");
}

TEST_F(VirtualControllerTest, ReferencesCountAndUnusedMethodsFail) {
    void* pv = nullptr;
    EXPECT_EQ(DIERR_OLDDIRECTINPUTVERSION, gCreate(nullptr, 0x0700, IID_IDirectInput8A, &pv, nullptr));
    EXPECT_EQ(DIERR_BETADIRECTINPUTVERSION, gCreate(nullptr, 0x0900, IID_IDirectInput8A, &pv, nullptr));
    EXPECT_EQ(DIERR_NOINTERFACE, gCreate(nullptr, 0x0800, IID_IDirectInput8W, &pv, nullptr));
    EXPECT_EQ(DIERR_NOAGGREGATION, gCreate(nullptr, 0x0800, IID_IDirectInput8A, &pv, pDI));
    EXPECT_EQ(nullptr, pv);
    EXPECT_EQ(E_NOINTERFACE, pDI->QueryInterface(IID_IDirectInput8W, &pv));
    ASSERT_EQ(S_OK, pDI->QueryInterface(IID_IUnknown, &pv));
    EXPECT_EQ(static_cast<void*>(pDI), pv);
    EXPECT_EQ(1u, pDI->Release());

    openDevice(1);
    EXPECT_EQ(3u, pDI->AddRef());  // ours, the device's and this one
    EXPECT_EQ(2u, pDI->Release());
    EXPECT_EQ(E_NOINTERFACE, pDev->QueryInterface(IID_IDirectInputDevice8W, &pv));
    LPDIRECTINPUTEFFECT pEffect = reinterpret_cast<LPDIRECTINPUTEFFECT>(1);
    EXPECT_EQ(DIERR_UNSUPPORTED, pDev->CreateEffect(GUID_ConstantForce, nullptr, &pEffect, nullptr));
    EXPECT_EQ(nullptr, pEffect);
    EXPECT_EQ(E_NOTIMPL, pDev->EnumObjects(nullptr, nullptr, DIDFT_ALL));
    EXPECT_EQ(E_NOTIMPL, pDev->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, nullptr, 0));
    EXPECT_EQ(E_NOTIMPL, pDev->SetEventNotification(nullptr));
    EXPECT_EQ(E_NOTIMPL, pDI->FindDevice(GUID_Joystick, "x", nullptr));
    EXPECT_EQ(E_NOTIMPL, pDI->ConfigureDevices(nullptr, nullptr, 0, nullptr));

    typedef HRESULT(WINAPI * CanUnloadFn)();
    CanUnloadFn canUnload =
        reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(ghDll, "DllCanUnloadNow")));
    ASSERT_TRUE(canUnload);
    EXPECT_EQ(S_FALSE, canUnload());
    EXPECT_EQ(1u, pDI->Release());  // the device still holds it
    pDI = nullptr;
    EXPECT_EQ(0u, pDev->Release());
    pDev = nullptr;
    EXPECT_EQ(S_OK, canUnload());
}

TEST_F(VirtualControllerTest, PadsimctlDrivesTheControllersFromAnotherProcess) {
    auto run = [](const std::string& args) -> DWORD {
        ChildProcess p;
        DWORD code = 999;
        if (!p.start("\"" + exePath("padsimctl.exe") + "\" " + args) || !p.waitExit(20000, code)) return 998;
        return code;
    };
    ASSERT_EQ(0u, run("plug 3"));
    ASSERT_EQ(0u, run("set 3 Rz 1234"));
    const char* bad[] = {"set 5 X 1", "set 3 Q 1", "set 3 Rz 65536", "set 3 Rz 12x", "sweep 3 X 0", "fly"};
    for (const char* args : bad) EXPECT_EQ(1u, run(args)) << args;
    openDevice(3);
    DIJOYSTATE2 st = {};
    ASSERT_EQ(DI_OK, pDev->GetDeviceState(sizeof st, &st));
    EXPECT_EQ(1234, st.lRz);
    EXPECT_EQ(PADSIM_AXIS_CENTRE, st.lX);
}
