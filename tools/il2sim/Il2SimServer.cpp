#include "il2sim/Il2SimServer.h"

#include <chrono>
#include <cstring>

namespace {
// Bigger than the longest datagram taken, so an oversize one shows by its length.
const int kReceiveBufferSize = 4 * IL2SIM_MAX_DATAGRAM;
const long kPollMicroseconds = 10000;  // how soon stop() is noticed
}  // namespace

Il2SimServer::Il2SimServer()
    : hSocket(INVALID_SOCKET), usPort(0), bWSAStarted(0), bInCockpit(1), bSilent(0), bQuietQueries(0), bStop(0) {}

Il2SimServer::~Il2SimServer() { stop(); }

int Il2SimServer::start(unsigned short port) {
    if (thread.joinable()) return 4;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    bWSAStarted = 1;
    hSocket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (hSocket == INVALID_SOCKET) {
        stop();
        return 2;
    }
    sockaddr_in addr;
    memset(&addr, 0, sizeof addr);
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);  // never any other interface
    int len = sizeof addr;
    if (bind(hSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(hSocket, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        stop();
        return 3;
    }
    usPort = ntohs(addr.sin_port);
    bStop = 0;
    thread = std::thread(&Il2SimServer::run, this);
    return 0;
}

void Il2SimServer::stop() {
    bStop = 1;
    if (thread.joinable()) thread.join();
    if (hSocket != INVALID_SOCKET) {
        closesocket(hSocket);
        hSocket = INVALID_SOCKET;
    }
    if (bWSAStarted) {
        WSACleanup();
        bWSAStarted = 0;
    }
}

void Il2SimServer::setScriptedAnswer(const std::string& request, const std::string& answer) {
    std::lock_guard<std::mutex> lock(mutex);
    scripted[request] = answer;
}

void Il2SimServer::clearScriptedAnswers() {
    std::lock_guard<std::mutex> lock(mutex);
    scripted.clear();
}

void Il2SimServer::setLineSink(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(mutex);
    lineSink = sink;
}

std::vector<Il2SimRecord> Il2SimServer::records() const {
    std::lock_guard<std::mutex> lock(mutex);
    return aRecords;
}

size_t Il2SimServer::recordCount() const {
    std::lock_guard<std::mutex> lock(mutex);
    return aRecords.size();
}

void Il2SimServer::clearRecords() {
    std::lock_guard<std::mutex> lock(mutex);
    aRecords.clear();
}

bool Il2SimServer::waitForRecords(size_t n, DWORD ms) const {
    std::unique_lock<std::mutex> lock(mutex);
    return recordAdded.wait_for(lock, std::chrono::milliseconds(ms), [&] { return aRecords.size() >= n; });
}

std::string Il2SimServer::answerFor(const Il2SimMessage& msg) const {
    if (msg.queries.empty()) return std::string();
    std::string answer = "A";
    for (const Il2SimItem& q : msg.queries) {
        if (q.iKey == 2)
            answer += "/2\\1.00";
        else if (q.iKey == 6)
            answer += bInCockpit ? "/6\\81\\1" : "/6\\81\\0";
    }
    return answer;
}

int Il2SimServer::handle(const char* data, size_t len, std::string& answer) {
    Il2SimMessage msg;
    Il2SimRecord rec;
    rec.dwTick = GetTickCount();
    rec.kind = IL2SIM_CMD;
    rec.bAnswered = 0;
    rec.sDatagram.assign(data ? data : "", data ? len : 0);
    std::vector<std::string> lines;
    int send = 0;
    if (parseDatagram(msg, data, len) != 0) {
        rec.kind = IL2SIM_BAD;
        rec.sError = msg.sError;
        lines.push_back("bad " + msg.sError);
    } else {
        if (!msg.queries.empty()) {
            rec.kind = IL2SIM_QUERY;
            std::string text;
            {
                std::lock_guard<std::mutex> lock(mutex);
                auto it = scripted.find(rec.sDatagram);
                text = it != scripted.end() ? it->second : answerFor(msg);
            }
            if (bSilent) {
                if (!bQuietQueries) lines.push_back("query " + printable(rec.sDatagram) + " -> (silent)");
            } else {
                answer = text;
                rec.sAnswer = text;
                rec.bAnswered = 1;
                send = 1;
                if (!bQuietQueries) lines.push_back("query " + printable(rec.sDatagram) + " -> " + printable(text));
            }
        }
        rec.settings = msg.settings;
        for (const Il2SimSetting& s : msg.settings) lines.push_back("cmd " + s.sName + " " + formatValue(s.dValue));
    }
    addRecord(rec, lines);
    return send;
}

void Il2SimServer::addRecord(const Il2SimRecord& rec, const std::vector<std::string>& lines) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        aRecords.push_back(rec);
    }
    recordAdded.notify_all();
    emit(lines);
}

void Il2SimServer::emit(const std::vector<std::string>& lines) {
    std::function<void(const std::string&)> sink;
    {
        std::lock_guard<std::mutex> lock(mutex);
        sink = lineSink;
    }
    if (!sink) return;
    for (const std::string& line : lines) sink(line);
}

void Il2SimServer::run() {
    std::vector<char> buffer(kReceiveBufferSize);
    while (!bStop) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(hSocket, &readable);
        timeval tv = {0, kPollMicroseconds};
        int ready = select(0, &readable, nullptr, nullptr, &tv);
        if (ready == 0) continue;
        if (ready == SOCKET_ERROR) {
            Sleep(10);
            continue;
        }
        sockaddr_in from;
        int fromLen = sizeof from;
        int n = recvfrom(hSocket, buffer.data(), kReceiveBufferSize, 0, reinterpret_cast<sockaddr*>(&from), &fromLen);
        if (n == SOCKET_ERROR) {
            int error = WSAGetLastError();
            // Windows reports here that an earlier answer met a closed port; not ours to mind.
            if (error == WSAECONNRESET) continue;
            if (error == WSAEMSGSIZE) {
                // Longer than the whole buffer, which holds its start.
                Il2SimRecord rec{GetTickCount(), IL2SIM_BAD, std::string(buffer.data(), buffer.size()), "", 0, {}, ""};
                rec.sError = "oversize, more than " + std::to_string(buffer.size()) + " bytes";
                addRecord(rec, {"bad " + rec.sError});
            } else {
                emit({"bad receive error " + std::to_string(error)});
                Sleep(10);
            }
            continue;
        }
        std::string answer;
        if (handle(buffer.data(), static_cast<size_t>(n), answer))
            sendto(hSocket, answer.data(), static_cast<int>(answer.size()), 0, reinterpret_cast<sockaddr*>(&from),
                   fromLen);
    }
}
