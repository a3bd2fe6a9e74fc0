// The stand-in simulator's answers and output lines for one datagram, without a socket.

#include <gtest/gtest.h>

#include <string>

#include "il2sim/Il2SimServer.h"

TEST(Il2SimServer, AnswersAndLinesPerDatagram) {
    Il2SimServer sim;
    std::string lines;
    sim.setLineSink([&lines](const std::string& line) { lines += line + "|"; });
    sim.setScriptedAnswer("R/2/6\\81", std::string("A/x\0", 4));
    const struct {
        int inCockpit, silent, quiet;
        std::string datagram;
        int sends;
        std::string answer, lines;
    } cases[] = {
        {1, 0, 0, "R/2", 1, "A/2\\1.00", "query R/2 -> A/2\\1.00|"},
        {1, 0, 0, "R/6\\81", 1, "A/6\\81\\1", "query R/6\\81 -> A/6\\81\\1|"},
        {0, 0, 0, "R/6\\81", 1, "A/6\\81\\0", "query R/6\\81 -> A/6\\81\\0|"},
        {0, 0, 1, "R/6\\81/85\\0.2", 1, "A/6\\81\\0", "cmd Ailerons 0.20|"},
        {1, 0, 0, "R/85\\-1.00/85\\0.20/115/93\\0.5", 0, "", "cmd Ailerons 0.20|cmd Propeller Pitch 0.50|"},
        {1, 1, 0, "R/2", 0, "", "query R/2 -> (silent)|"},
        {1, 0, 0, "R/2/6\\81", 1, std::string("A/x\0", 4), "query R/2/6\\81 -> A/x\\x00|"},
        {1, 0, 0, std::string("R/85\\\x01", 6), 0, "", "bad setting 85 value not a number|"},
    };
    for (const auto& c : cases) {
        sim.setInCockpit(c.inCockpit);
        sim.setSilent(c.silent);
        sim.setQuietQueries(c.quiet);
        lines.clear();
        std::string answer;
        EXPECT_EQ(c.sends, sim.handle(c.datagram.data(), c.datagram.size(), answer)) << c.datagram;
        EXPECT_EQ(c.answer, answer) << c.datagram;
        EXPECT_EQ(c.lines, lines);
        Il2SimRecord r = sim.records().back();
        EXPECT_EQ(c.datagram, r.sDatagram);
        EXPECT_EQ(c.sends, r.bAnswered);
    }
    EXPECT_EQ(IL2SIM_CMD, sim.records()[4].kind);
    EXPECT_EQ(IL2SIM_BAD, sim.records()[7].kind);
}
