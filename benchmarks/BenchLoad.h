#pragma once
// The load of the in-process round benchmarks: n scripted controllers, every axis
// assigned, the link pointed at the stand-in simulator on 127.0.0.1.

#include <cstdio>
#include <memory>
#include <vector>

#include "app/Quorix.h"
#include "support/Pads.h"

typedef std::vector<std::unique_ptr<ProfileDev2Axis>> BenchAssignments;

// 0 when discovery found every controller; prints why not, prefixed by name.
inline int loadBench(const char* name, Quorix& app, VirtualDirectInput& di, int devices, BenchAssignments& out,
                     int simPort, DWORD(WINAPI* tick)()) {
    for (int d = 0; d < devices; ++d) di.addController(fakeGuid(static_cast<unsigned char>(16 * d + 1)), "Stick");
    padsimSetInProcess(&di);
    app.sRegRoot = "Software\\Velmora\\QuorixBench-NoSuchKey";  // never written: nothing calls saveConfig
    app.hInstance = GetModuleHandleA(nullptr);
    Profile* active = nullptr;
    app.profiles.readConfig(app.sRegRoot, active);
    app.pActProfile = active;
    padsimDirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, reinterpret_cast<void**>(&app.pDI), nullptr);
    if (app.enumHwDevices() != 0 || app.hwDevices.count != devices) {
        fprintf(stderr, "%s: discovery failed\n", name);
        return 1;
    }
    // A profile holds one assignment per control (14): the load's are hung on the axes directly.
    for (int d = 0; d < devices; ++d) {
        HwDevice* dev = app.hwDevices.items[d];
        for (int a = 0; a < HWA_COUNT; ++a) {
            ILDevice* control = app.ilDevices.apDevices[a];
            out.emplace_back(new ProfileDev2Axis(app, control->id, control));
            out.back()->idAxis = static_cast<IdHwAxis>(HWA_X + a);
            dev->axes[a].pDev2Axis = out.back().get();
            dev->axes[a].pILDevice = control;
        }
        dev->bInUse = 1;
    }
    app.il2Com.pfnGetTickCount = tick;
    MyString addr("127.0.0.1");
    app.il2Com.setAddress(addr);
    app.il2Com.setPort(simPort);
    return 0;
}
