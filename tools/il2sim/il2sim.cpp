// il2sim: stands in for the simulator's Device Link service on 127.0.0.1, so a
// pilot can check a set-up without the simulator. One line per event on stdout:
//   listening 127.0.0.1:<port> cockpit <0|1>
//   query <request> -> <answer>      (not with --quiet-queries)
//   cmd <control name> <value>       e.g. "cmd Ailerons 0.20"
//   bad <reason>
//   cockpit <0|1>                    after a change typed on stdin
//   received <n> datagrams           at the end
// Usage: il2sim [--port N] [--cockpit 0|1] [--quiet-queries] [--for-ms N]
// Lines on stdin: c1 / c0 pilot in / out of the cockpit, s1 / s0 silent on / off, q quit.

#include "il2sim/Il2SimServer.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace {
std::mutex outMutex;
std::atomic<int> bQuit(0);

void printLine(const std::string& line) {
    std::lock_guard<std::mutex> lock(outMutex);
    fputs(line.c_str(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

// Whole text as a decimal number within [lo, hi]. 0 ok, 1 not.
int parseArg(long& out, const char* text, long lo, long hi) {
    if (!text || !*text) return 1;
    char* end = nullptr;
    long v = strtol(text, &end, 10);
    if (*end != '\0' || text[0] == '-' || text[0] == '+' || v < lo || v > hi) return 1;
    out = v;
    return 0;
}

int usage(const char* why) {
    fprintf(stderr, "il2sim: %s\nusage: il2sim [--port N] [--cockpit 0|1] [--quiet-queries] [--for-ms N]\n", why);
    return 2;
}

void readCommands(Il2SimServer* server) {
    char line[128];
    while (!bQuit && fgets(line, sizeof line, stdin)) {
        if (bQuit) break;
        size_t n = strlen(line);
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r' || line[n - 1] == ' ')) line[--n] = '\0';
        if (strcmp(line, "c1") == 0 || strcmp(line, "c0") == 0) {
            server->setInCockpit(line[1] == '1');
            printLine(std::string("cockpit ") + line[1]);
        } else if (strcmp(line, "s1") == 0 || strcmp(line, "s0") == 0) {
            server->setSilent(line[1] == '1');
            printLine(std::string("silent ") + line[1]);
        } else if (strcmp(line, "q") == 0) {
            bQuit = 1;
        } else if (n > 0) {
            printLine("input? use c1, c0, s1, s0 or q");
        }
    }
    // End of input: keep serving until Ctrl+C or --for-ms.
}

BOOL WINAPI onConsoleCtrl(DWORD) {
    bQuit = 1;
    return TRUE;
}
}  // namespace

int main(int argc, char** argv) {
    long port = 3333, cockpit = 1, forMs = 0;
    int quietQueries = 0;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (strcmp(a, "--port") == 0) {
            if (parseArg(port, next, 0, 65535) != 0) return usage("--port needs 0..65535");
            ++i;
        } else if (strcmp(a, "--cockpit") == 0) {
            if (parseArg(cockpit, next, 0, 1) != 0) return usage("--cockpit needs 0 or 1");
            ++i;
        } else if (strcmp(a, "--for-ms") == 0) {
            if (parseArg(forMs, next, 1, 0x7FFFFFFF) != 0) return usage("--for-ms needs a positive number");
            ++i;
        } else if (strcmp(a, "--quiet-queries") == 0) {
            quietQueries = 1;
        } else {
            return usage((std::string("unknown argument ") + printable(a)).c_str());
        }
    }

    Il2SimServer server;
    server.setInCockpit(static_cast<int>(cockpit));
    server.setQuietQueries(quietQueries);
    server.setLineSink(printLine);
    int status = server.start(static_cast<unsigned short>(port));
    if (status != 0) {
        fprintf(stderr, "il2sim: cannot listen on 127.0.0.1:%ld (status %d)\n", port, status);
        return 1;
    }
    printLine("listening 127.0.0.1:" + std::to_string(server.port()) + " cockpit " + std::to_string(cockpit));
    SetConsoleCtrlHandler(onConsoleCtrl, TRUE);
    // Blocks in fgets; left behind at exit.
    std::thread(readCommands, &server).detach();

    DWORD start = GetTickCount();
    while (!bQuit && (forMs == 0 || GetTickCount() - start < static_cast<DWORD>(forMs))) Sleep(20);
    bQuit = 1;
    server.stop();
    printLine("received " + std::to_string(server.records().size()) + " datagrams");
    return 0;
}
