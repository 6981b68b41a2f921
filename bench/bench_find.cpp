// The find window over 50 sessions: one keystroke (the text changed, the rows read, ranked and
// put into the list, ordered by when their sessions were last in front; the last words typed
// end in a code no session runs, so every logon gets an open row); a keystroke that shows
// every row, against the floor of filling the list
// with the same rows unranked; and opening the window until it has painted. Prints one line:
// bench find: keystroke <ms> every row <ms> floor <ms> open <ms> ... ratio <every row/floor>
#include <windows.h>

#include "bench_timing.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/window_classes.h"
#include "base/text.h"
#include "recording_ops.h"
#include "snapshots.h"
#include "views/find_window.h"
#include "window_helpers.h"

using namespace quilvo;
using quilvo::test::Pump;

namespace {

constexpr int kSessions = 50;
const char* const kSystems[] = {"PRD", "QAS", "DEV", "SBX", "TRN"};
const char* const kTransactions[] = {"SE38", "VA01", "MM03", "SE16N", "FB03", "ME21N", "SM37"};

SessionSnapshot FillTable() {
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < kSessions; ++i) {
        sessions.push_back(::test::Record(static_cast<WindowHandle>(0x1000 + i), kSystems[i % 5],
                                          std::to_string(100 * (1 + i % 4)).c_str(), ("USER" + std::to_string(i)).c_str(),
                                          kTransactions[i % 7],
                                          ("Session " + std::to_string(i) + " of a long working day").c_str()));
    }
    SessionSnapshot table = ::test::SnapshotOf(sessions);
    CopyCut(table.filters[1].system, "PRD");
    CopyCut(table.filters[2].system, "QAS");
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    RegisterWindowClasses(GetModuleHandleA(nullptr));
    auto table = std::make_shared<const SessionSnapshot>(FillTable());
    HeldSnapshot sessions(table);
    ::test::RecordingOps ops;
    FindServices services;
    services.sessions = &sessions;
    services.ops = &ops;
    // Every session seen in front once, in a shuffled order: each keystroke orders the rows by it.
    FrontOrder front;
    for (int i = 0; i < kSessions; ++i) front.Note(table->sessions[(i * 7) % kSessions].window);
    services.front = &front;
    FindSessionWindow find(services);

    // What a user types to reach "QAS 200, SE38", a key at a time, and back.
    // Then a code no session runs: a new-session row for each of the fifty logons.
    const char* const typed[] = {"q", "qa", "qas", "qas ", "qas 2", "qas 20", "qas 200", "qas 200 s", "qas 200 se3",
                                 "z", "zz", "zz0", "zz01"};
    std::vector<double> keystrokes, everyRow, floors, opens;
    std::vector<std::string> rows;
    for (const FindRow& row : SessionFindRows(*table)) rows.push_back(FindRowText(row));
    for (const FindRow& row : BoxFindRows(table->filters)) rows.push_back(FindRowText(row));
    for (int r = 0; r < rounds; ++r) {
        opens.push_back(TimeMs([&] {
            find.Open();
            UpdateWindow(find.Handle());
            UpdateWindow(find.List());
        }));
        for (const char* text : typed) {
            keystrokes.push_back(TimeMs([&] {
                SetWindowTextA(find.Field(), text);
                UpdateWindow(find.List());
            }));
        }
        // Every row shown: the ranking's whole cost, against the list filled without it.
        everyRow.push_back(TimeMs([&] {
            SetWindowTextA(find.Field(), "");
            UpdateWindow(find.List());
        }));
        floors.push_back(TimeMs([&] {
            SendMessageA(find.List(), WM_SETREDRAW, FALSE, 0);
            SendMessageA(find.List(), LB_RESETCONTENT, 0, 0);
            for (const std::string& row : rows) SendMessageA(find.List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row.c_str()));
            SendMessageA(find.List(), WM_SETREDRAW, TRUE, 0);
            InvalidateRect(find.List(), nullptr, TRUE);
            UpdateWindow(find.List());
        }));
        find.Close();
        Pump();
    }

    const double keystroke = Median(keystrokes), all = Median(everyRow), floor = Median(floors), open = Median(opens);
    std::printf("bench find: keystroke %.3f ms every row %.3f ms floor %.3f ms open %.2f ms (%d sessions and 2 boxes, "
                "median of %d; aims: keystroke under 2 ms, open under 100 ms) ratio %.2f\n",
                keystroke, all, floor, open, kSessions, rounds, floor > 0 ? all / floor : 0.0);
    return 0;
}
