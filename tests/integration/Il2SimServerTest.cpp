// The stand-in simulator over a real socket on 127.0.0.1.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "il2sim/Il2SimServer.h"

namespace {
// A client socket fixed on the simulator's port, with a short receive time-out.
class Peer {
public:
    explicit Peer(unsigned short port) {
        WSADATA d;
        WSAStartup(MAKEWORD(2, 2), &d);
        s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
        DWORD timeout = 500;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
    }
    ~Peer() {
        closesocket(s);
        WSACleanup();
    }
    int send(const std::string& d) { return ::send(s, d.data(), static_cast<int>(d.size()), 0); }
    std::string ask(const std::string& d) {
        send(d);
        char buf[600];
        int n = recv(s, buf, sizeof buf, 0);
        return n >= 0 ? std::string(buf, n) : "<no answer>";
    }

private:
    SOCKET s;
};
}  // namespace

TEST(Il2SimServerSocket, GarbageOfAnySizeIsRecordedAndServiceGoesOn) {
    Il2SimServer sim;
    ASSERT_EQ(0, sim.start(0));
    EXPECT_EQ(4, sim.start(0));  // one socket per server
    Peer peer(sim.port());
    std::mt19937 rng(7u);
    const size_t sizes[] = {0, 1, 511, 512, 513, 2047, 2048, 2049, 5000};
    size_t sent = 0;
    for (size_t size : sizes) {
        std::string d(size, 'R');
        for (char& c : d) c = static_cast<char>(rng() & 0xFF);
        ASSERT_EQ(static_cast<int>(size), peer.send(d));
        ++sent;
    }
    for (int i = 0; i < 200; ++i) {
        std::string d(rng() % 64, ' ');
        for (char& c : d) c = "R/\\0123456789.-e"[rng() % 16];
        peer.send(d);
        ++sent;
    }
    EXPECT_EQ("A/2\\1.00", peer.ask("R/2"));
    ASSERT_TRUE(sim.waitForRecords(sent + 1, 2000));
    auto recs = sim.records();
    ASSERT_EQ(sent + 1, recs.size());
    EXPECT_EQ("empty", recs[0].sError);
    EXPECT_EQ("oversize 513 bytes", recs[4].sError);
    EXPECT_EQ("oversize 2048 bytes", recs[6].sError);
    // Beyond the receive buffer the length is unknown.
    EXPECT_EQ("oversize, more than 2048 bytes", recs[7].sError);
    EXPECT_EQ("oversize, more than 2048 bytes", recs[8].sError);
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(IL2SIM_BAD, recs[i].kind) << i;
}
