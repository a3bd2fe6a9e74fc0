// padsimctl: drives the virtual game controllers of the project's dinput8.dll.
//   padsimctl set <ctrl> <axis> <value>      axis X Y Z Rx Ry Rz Sld1 Sld2, value 0..65535
//   padsimctl plug <ctrl> [list_delay_ms [failing_acquires]] | unplug <ctrl>    ctrl 1..4
//                                          plugged, listed by DirectInput only list_delay_ms
//                                          later, its first failing_acquires acquisitions refused
//   padsimctl lose <ctrl>                    its input is lost (sleep and resume, a hub reset)
//   padsimctl newport <ctrl>                 plugged again under a new instance GUID (another USB port)
//   padsimctl polled <ctrl> 0|1              a device that needs polling, or not
//   padsimctl failcreate 0|1                 DirectInput8Create fails (1) or works (0)
//   padsimctl sweep <ctrl> <axis> <seconds> [period_ms]
//                                          0 to 65535 and back to 0 over <seconds>
//   padsimctl show                           state of all controllers
//   padsimctl reset                          controller 1 plugged, all centred, counters zero
//   padsimctl hold [seconds]                 keeps the state alive (default: until ended)
// The state lives in a named block that exists while some process holds it
// (the program using the DLL, a test, or "padsimctl hold"). Exit code 0 on
// success, 1 for a bad command line, 2 when the block cannot be used.

#include "padsim/VirtualControllers.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
const char kUsage[] =
    "usage: padsimctl set <ctrl> <axis> <value> | plug <ctrl> [list_delay_ms [failing_acquires]] | unplug <ctrl>\n"
    "               | lose <ctrl> | newport <ctrl> | polled <ctrl> 0|1 | failcreate 0|1\n"
    "               | sweep <ctrl> <axis> <seconds> [period_ms] | show | reset | hold [seconds]\n"
    "  ctrl 1..4, axis X Y Z Rx Ry Rz Sld1 Sld2, value 0..65535\n";

int usage(const char* why) {
    if (why)
        fprintf(stderr, "padsimctl: %s (padsimctl without arguments shows the usage)\n", why);
    else
        fputs(kUsage, stderr);
    return 1;
}

// Whole-text decimal integer within [lo, hi].
bool parseLong(long& out, const char* s, long lo, long hi) {
    if (!s || !*s) return false;
    char* end = nullptr;
    errno = 0;
    long v = strtol(s, &end, 10);
    if (errno || *end || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool parseSeconds(double& out, const char* s) {
    if (!s || !*s) return false;
    char* end = nullptr;
    errno = 0;
    double v = strtod(s, &end);
    if (errno || *end || !(v > 0.0 && v <= 3600.0)) return false;
    out = v;
    return true;
}

int openBlock(VirtualControllers& vc, bool bWarnTransient) {
    int status = vc.open(1);
    if (status == PADSIM_ERR_INVALID) {
        fprintf(stderr, "padsimctl: the block %s holds another layout; 'padsimctl reset' rewrites it\n",
                PADSIM_BLOCK_NAME);
        return 2;
    }
    if (status != PADSIM_OK) {
        fprintf(stderr, "padsimctl: cannot open the block %s (error %lu)\n", PADSIM_BLOCK_NAME, GetLastError());
        return 2;
    }
    if (bWarnTransient && vc.createdIt())
        fprintf(stderr, "padsimctl: note: no program holds the controllers; the change ends with this command"
                        " (see 'padsimctl hold')\n");
    return 0;
}

int show(VirtualControllers& vc) {
    long iSeq = 0, iReads = 0;
    vc.getPlugSeq(iSeq);
    vc.getReads(iReads);
    printf("block %s: plug changes %ld, reads %ld%s\n", PADSIM_BLOCK_NAME, iSeq, iReads,
           vc.createdIt() ? " (just created: no program holds it)" : "");
    for (int c = 1; c <= PADSIM_CONTROLLERS; ++c) {
        int bPlugged = 0;
        long iCtrlReads = 0;
        vc.isPlugged(bPlugged, c);
        vc.getReads(iCtrlReads, c);
        printf("%d %-18s %-9s reads %-8ld", c, kVirtualControllerName[c - 1], bPlugged ? "plugged" : "unplugged",
               iCtrlReads);
        for (int a = 1; a <= PADSIM_AXES; ++a) {
            long v = 0;
            vc.getAxis(v, c, a);
            printf(" %s %ld", padsimAxisName(a), v);
        }
        printf("\n");
    }
    return 0;
}

int sweep(VirtualControllers& vc, int iCtrl, int iAxis, double dSeconds, long iPeriodMs) {
    const DWORD dwTotal = static_cast<DWORD>(dSeconds * 1000.0 + 0.5);
    const DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD dwElapsed = GetTickCount() - dwStart;
        if (dwElapsed >= dwTotal) break;
        // Triangle: up over the first half, down over the second.
        double dPhase = static_cast<double>(dwElapsed) / dwTotal;
        double dUp = dPhase < 0.5 ? dPhase * 2.0 : (1.0 - dPhase) * 2.0;
        vc.setAxis(iCtrl, iAxis, static_cast<long>(dUp * PADSIM_AXIS_MAX + 0.5));
        Sleep(static_cast<DWORD>(iPeriodMs));
    }
    vc.setAxis(iCtrl, iAxis, 0);
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage(nullptr);
    const char* cmd = argv[1];
    long iCtrl = 0, iValue = 0, iPeriod = 10;
    int iAxis = 0;
    VirtualControllers vc;

    if (strcmp(cmd, "set") == 0) {
        if (argc != 5) return usage("set takes <ctrl> <axis> <value>");
        if (!parseLong(iCtrl, argv[2], 1, PADSIM_CONTROLLERS)) return usage("controller must be 1..4");
        if (padsimAxisFromName(iAxis, argv[3]) != PADSIM_OK) return usage("unknown axis");
        if (!parseLong(iValue, argv[4], 0, PADSIM_AXIS_MAX)) return usage("value must be 0..65535");
        int status = openBlock(vc, true);
        return status ? status : (vc.setAxis(iCtrl, iAxis, iValue) == PADSIM_OK ? 0 : 2);
    }
    if (strcmp(cmd, "plug") == 0 && argc >= 4) {
        long iDelay = 0, iFailing = 0;
        if (argc > 5) return usage("plug takes <ctrl> [list_delay_ms [failing_acquires]]");
        if (!parseLong(iCtrl, argv[2], 1, PADSIM_CONTROLLERS)) return usage("controller must be 1..4");
        if (!parseLong(iDelay, argv[3], 0, 600000)) return usage("list_delay_ms must be 0..600000");
        if (argc == 5 && !parseLong(iFailing, argv[4], 0, 1000)) return usage("failing_acquires must be 0..1000");
        int status = openBlock(vc, true);
        return status ? status : (vc.plugLate(iCtrl, iDelay, iFailing) == PADSIM_OK ? 0 : 2);
    }
    if (strcmp(cmd, "plug") == 0 || strcmp(cmd, "unplug") == 0 || strcmp(cmd, "lose") == 0 ||
        strcmp(cmd, "newport") == 0) {
        if (argc != 3) return usage("plug, unplug, lose and newport take <ctrl>");
        if (!parseLong(iCtrl, argv[2], 1, PADSIM_CONTROLLERS)) return usage("controller must be 1..4");
        int status = openBlock(vc, true);
        if (status) return status;
        status = cmd[0] == 'l' ? vc.lose(iCtrl) : cmd[0] == 'n' ? vc.newPort(iCtrl) : vc.setPlugged(iCtrl, cmd[0] == 'p');
        return status == PADSIM_OK ? 0 : 2;
    }
    if (strcmp(cmd, "polled") == 0 || strcmp(cmd, "failcreate") == 0) {
        const bool bPolled = cmd[0] == 'p';
        long iOn = 0;
        if (argc != (bPolled ? 4 : 3)) return usage(bPolled ? "polled takes <ctrl> 0|1" : "failcreate takes 0|1");
        if (bPolled && !parseLong(iCtrl, argv[2], 1, PADSIM_CONTROLLERS)) return usage("controller must be 1..4");
        if (!parseLong(iOn, argv[argc - 1], 0, 1)) return usage("the last argument must be 0 or 1");
        int status = openBlock(vc, true);
        if (status) return status;
        status = bPolled ? vc.setPolled(iCtrl, iOn) : vc.setCreateResult(iOn ? E_FAIL : S_OK);
        return status == PADSIM_OK ? 0 : 2;
    }
    if (strcmp(cmd, "sweep") == 0) {
        double dSeconds = 0;
        if (argc != 5 && argc != 6) return usage("sweep takes <ctrl> <axis> <seconds> [period_ms]");
        if (!parseLong(iCtrl, argv[2], 1, PADSIM_CONTROLLERS)) return usage("controller must be 1..4");
        if (padsimAxisFromName(iAxis, argv[3]) != PADSIM_OK) return usage("unknown axis");
        if (!parseSeconds(dSeconds, argv[4])) return usage("seconds must be above 0 and at most 3600");
        if (argc == 6 && !parseLong(iPeriod, argv[5], 1, 1000)) return usage("period_ms must be 1..1000");
        int status = openBlock(vc, false);
        return status ? status : sweep(vc, iCtrl, iAxis, dSeconds, iPeriod);
    }
    if (strcmp(cmd, "show") == 0 || strcmp(cmd, "reset") == 0) {
        if (argc != 2) return usage("show and reset take no arguments");
        if (cmd[0] == 'r') {
            int status = vc.open(1);
            if (status != PADSIM_OK && status != PADSIM_ERR_INVALID) return openBlock(vc, false);
            return vc.reset() == PADSIM_OK ? 0 : 2;
        }
        int status = openBlock(vc, false);
        return status ? status : show(vc);
    }
    if (strcmp(cmd, "hold") == 0) {
        double dSeconds = 0;
        if (argc > 3) return usage("hold takes [seconds]");
        if (argc == 3 && !parseSeconds(dSeconds, argv[2])) return usage("seconds must be above 0 and at most 3600");
        int status = openBlock(vc, false);
        if (status) return status;
        Sleep(argc == 3 ? static_cast<DWORD>(dSeconds * 1000.0 + 0.5) : INFINITE);
        return 0;
    }
    return usage("unknown command");
}
