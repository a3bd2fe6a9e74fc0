#pragma once
// The stand-in simulator's Device Link service: one UDP socket on 127.0.0.1, served
// by its own thread. It answers the version request and the cockpit query, takes
// control settings without answer, and records every datagram it receives.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "il2sim/Il2SimParser.h"

enum Il2SimKind { IL2SIM_CMD = 1, IL2SIM_QUERY = 2, IL2SIM_BAD = 3 };

struct Il2SimRecord {
    DWORD dwTick;                         // GetTickCount at arrival
    Il2SimKind kind;                      // queries (with or without settings), settings only, refused
    std::string sDatagram;                // the bytes received (at most the receive buffer)
    std::string sAnswer;                  // the answer sent; empty when none
    int bAnswered;                        // an answer (perhaps an empty datagram) went out
    std::vector<Il2SimSetting> settings;  // final value per control
    std::string sError;                   // why it was refused
};

class Il2SimServer {
public:
    Il2SimServer();
    ~Il2SimServer();
    Il2SimServer(const Il2SimServer&) = delete;
    Il2SimServer& operator=(const Il2SimServer&) = delete;

    // Binds 127.0.0.1:port (0 picks a free port, see port()) and starts serving.
    // 0 ok; 1 socket library; 2 socket; 3 bind; 4 already running.
    int start(unsigned short port);
    void stop();
    unsigned short port() const { return usPort; }

    void setInCockpit(int b) { bInCockpit = b ? 1 : 0; }
    int inCockpit() const { return bInCockpit; }
    // Silent: datagrams are still received and recorded, nothing is answered.
    void setSilent(int b) { bSilent = b ? 1 : 0; }
    void setQuietQueries(int b) { bQuietQueries = b ? 1 : 0; }
    // Answers the request text with exactly these bytes (an empty text sends an
    // empty datagram) instead of the usual answer.
    void setScriptedAnswer(const std::string& request, const std::string& answer);
    void clearScriptedAnswers();
    // Receives every output line (without line end), on the server's thread.
    void setLineSink(std::function<void(const std::string&)> sink);

    std::vector<Il2SimRecord> records() const;
    size_t recordCount() const;
    void clearRecords();
    // True once at least n records exist; waits up to ms for them.
    bool waitForRecords(size_t n, DWORD ms) const;

    // The answer to a parsed request (the queries' items after "A"); empty when it has no queries.
    std::string answerFor(const Il2SimMessage& msg) const;
    // Handles one datagram as if received: records it, builds the lines and the answer.
    // Returns 1 when an answer is to be sent (in answer), else 0.
    int handle(const char* data, size_t len, std::string& answer);

private:
    void run();
    void addRecord(const Il2SimRecord& rec, const std::vector<std::string>& lines);
    void emit(const std::vector<std::string>& lines);

    SOCKET hSocket;
    unsigned short usPort;
    int bWSAStarted;
    std::atomic<int> bInCockpit;
    std::atomic<int> bSilent;
    std::atomic<int> bQuietQueries;
    std::atomic<int> bStop;
    std::thread thread;
    mutable std::mutex mutex;
    mutable std::condition_variable recordAdded;
    std::vector<Il2SimRecord> aRecords;
    std::map<std::string, std::string> scripted;
    std::function<void(const std::string&)> lineSink;
};
