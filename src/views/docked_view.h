// The docked toolbar view's module-level state: the docked flag and the one reference to a
// docked view (the running program makes none), read and cleared by Exit and the strip itself.
#pragma once

namespace quilvo {

class BoxedView;

// The docked toolbar view, when one exists.
extern BoxedView* g_dockedView;

// "Visible" of "BoxedViewToolbar" as start-up read it (ReadDockedFlag); the tray menu's
// "&Docked" inverts it and the docked toolbar's "&Close" clears it.
extern int g_dockedFlag;
void ReadDockedFlag();

// Runs the docked view's teardown (it writes its section) and deletes it; in any case clears
// the reference, so a second call finds nothing.
void TearDownDockedView();

}  // namespace quilvo
