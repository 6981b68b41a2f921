// The support file: every part is there, the sessions are counted per System and Client, and
// no title, User, Transaction or box selection gets into it.
#include <gtest/gtest.h>

#include <string>

#include "base/line_ring.h"
#include "core/diagnostics.h"
#include "snapshots.h"

namespace quilvo {
namespace {

TEST(Diagnostics, TheFileHasEveryPartAndNoName) {
    DiagnosticsFacts f;
    f.version = "1.2.3";
    f.monitors = {{{0, 0, 1280, 1024}, {0, 0, 1280, 984}, 96, true}, {{1280, 0, 3200, 1080}, {1280, 0, 3200, 1080}, 0, false}};
    f.ini = {{"Quilvo", "MAX_SESSIONS", "6"}, {"Box0", "Selection", "PRD$100$ANNA$VA01"}, {"Box0", "Note", "FBL1N"}};
    f.sessions = {test::Record(1, "PRD", "100", "ANNA", "VA01", "Alpha Order"),
                  test::Record(2, "QAS", "200", "BOB", "SE38", "Bravo Report"),
                  test::Record(3, "PRD", "100", "CLARA", "FBL1N", "Charlie Items"), test::Record(4)};
    PassLog passes;
    for (std::uint32_t i = 0; i < PassLog::kKept + 3; ++i) passes.Add(PassTiming{i, 2 * i, i, 3, static_cast<std::int32_t>(i % 2)});
    f.passes = passes.Passes();
    f.worker.lanes = {{0x1a2b, 2, true, 120}};
    f.debugLines = {"Drag skipped"};
    const std::string text = DiagnosticsText(f);

    std::size_t at = 0;
    for (const char* part : {"[Quilvo]", "[System]", "[Monitors]", "[Policies]", "[Settings file]", "[Hotkeys]",
                             "[Sessions]", "[Passes]", "[Worker]", "[Debug lines]"}) {
        const std::size_t next = text.find(std::string(part) + "\r\n", at);
        ASSERT_NE(next, std::string::npos) << part << " in order:\n" << text;
        at = next;
    }
    for (const char* line : {"Monitor 1: (0, 0)-(1280, 1024) 1280 x 1024, work area (0, 0)-(1280, 984) 1280 x 984, 96 DPI, primary",
                             ", DPI unknown\r\n", "(none in force)", "Quilvo: MAX_SESSIONS=6", "Box0: Selection=(17 characters)",
                             "Box0: Note=(5 characters)", "Total: 4", "(none): 1\r\nPRD 100: 2\r\nQAS 200: 1\r\n",
                             "walk 3 ms, answers 6 ms, slowest answer 3 ms, 3 sessions, 1 unanswered\r\n",
                             "Lane 0x1a2b: 2 waiting, a call in hand for 120 ms", "Drag skipped\r\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << " in:\n" << text;
    }
    EXPECT_EQ(text.find("walk 2 ms"), std::string::npos) << "only the last 20 passes";
    for (const char* name : {"ANNA", "BOB", "CLARA", "VA01", "SE38", "FBL1N", "Alpha", "Bravo", "Charlie"})
        EXPECT_EQ(text.find(name), std::string::npos) << name;
    EXPECT_EQ(DiagnosticsFileName(2026, 1, 9, 7, 5, 3), "Quilvo-diagnostics-20260109-070503.txt");
}

TEST(Diagnostics, TheLastLinesAreKeptWithoutTheirEnds) {
    LineRing ring(3);
    for (const char* line : {"one\r\n", "two\n", "three", "four\r\n"}) ring.Add(line);
    EXPECT_EQ(ring.Lines(), (std::vector<std::string>{"two", "three", "four"}));
}

}  // namespace
}  // namespace quilvo
