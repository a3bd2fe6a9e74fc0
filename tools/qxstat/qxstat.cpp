// qxstat: resource counters of a process, for the soak benchmark.
//   qxstat [pid]   one line for the process (default: the running quorix.exe):
//                  ws_kib <n> private_kib <n> handles <n> gdi <n> user <n>
//   qxstat probe   creates and frees objects of each kind in its own process and
//                  prints per counter "live" (it moved) or "n/a" (it did not):
//                  ws <live|n/a> private <..> handles <..> gdi <..> user <..>
// Wine keeps some of these as stubs that always read 0; the probe tells which.
// Exit code 0, 1 when the process cannot be read, 2 for a bad command line.

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
struct Counters {
    unsigned long long wsKib, privateKib;
    unsigned long handles, gdi, user;
};

bool readCounters(HANDLE process, Counters& c) {
    PROCESS_MEMORY_COUNTERS_EX mem = {};
    mem.cb = sizeof mem;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&mem), sizeof mem)) return false;
    DWORD handles = 0;
    if (!GetProcessHandleCount(process, &handles)) return false;
    c.wsKib = mem.WorkingSetSize / 1024;
    c.privateKib = mem.PrivateUsage / 1024;
    c.handles = handles;
    c.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    c.user = GetGuiResources(process, GR_USEROBJECTS);
    return true;
}

const char* moved(unsigned long long before, unsigned long long during) { return during > before ? "live" : "n/a"; }

int probe() {
    const int kObjects = 16;
    const SIZE_T kBytes = 4 << 20;
    HANDLE self = GetCurrentProcess();
    Counters before = {}, during = {};
    if (!readCounters(self, before)) return 1;
    char* block = static_cast<char*>(VirtualAlloc(nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (block)
        for (SIZE_T i = 0; i < kBytes; i += 4096) block[i] = 1;  // touched, so it enters the working set
    HANDLE events[kObjects];
    HPEN pens[kObjects];
    HMENU menus[kObjects];
    for (int i = 0; i < kObjects; ++i) {
        events[i] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        pens[i] = CreatePen(PS_SOLID, i + 1, RGB(i, 0, 0));
        menus[i] = CreateMenu();
    }
    bool ok = readCounters(self, during);
    for (int i = 0; i < kObjects; ++i) {
        if (events[i]) CloseHandle(events[i]);
        if (pens[i]) DeleteObject(pens[i]);
        if (menus[i]) DestroyMenu(menus[i]);
    }
    if (block) VirtualFree(block, 0, MEM_RELEASE);
    if (!ok) return 1;
    printf("ws %s private %s handles %s gdi %s user %s\n", moved(before.wsKib, during.wsKib),
           moved(before.privateKib, during.privateKib), moved(before.handles, during.handles),
           moved(before.gdi, during.gdi), moved(before.user, during.user));
    return 0;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 2) {
        fprintf(stderr, "usage: qxstat [pid] | probe\n");
        return 2;
    }
    if (argc == 2 && strcmp(argv[1], "probe") == 0) return probe();
    DWORD pid = 0;
    if (argc == 2) {
        char* end = nullptr;
        pid = static_cast<DWORD>(strtoul(argv[1], &end, 10));
        if (*end || !pid) {
            fprintf(stderr, "qxstat: not a process id: %s\n", argv[1]);
            return 2;
        }
    } else {
        HWND hwnd = FindWindowA("Quorix", "Quorix");
        if (!hwnd || !GetWindowThreadProcessId(hwnd, &pid)) {
            fprintf(stderr, "qxstat: Quorix is not running\n");
            return 1;
        }
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    Counters c = {};
    bool ok = process && readCounters(process, c);
    if (process) CloseHandle(process);
    if (!ok) {
        fprintf(stderr, "qxstat: cannot read process %lu (error %lu)\n", static_cast<unsigned long>(pid),
                static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    printf("ws_kib %llu private_kib %llu handles %lu gdi %lu user %lu\n", c.wsKib, c.privateKib, c.handles, c.gdi,
           c.user);
    return 0;
}
