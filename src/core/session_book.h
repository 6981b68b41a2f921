// What each session window answered, kept from pass to pass and keyed by its window: a pass
// asks a calm session only what can have changed, and an answer lands with the window it came
// from, whenever it comes.
#pragma once

#include <vector>

#include "base/handle.h"
#include "core/session.h"

namespace quilvo {

struct WalkedSession;

class SessionBook {
public:
    enum class Ask { Transaction, Everything };

    // After a walk: windows the walk did not find are forgotten, those it found for the first
    // time start with no answers. `found` are the walk's sessions.
    void Follow(const std::vector<WalkedSession>& found);
    // What to ask a session found by the walk: everything when it is new, its title changed
    // since it was last asked everything, its System, Client or User is still empty, or the
    // pass is forced; else its Transaction, which changes under the same title.
    Ask WhatToAsk(const WalkedSession& session, bool forced) const;
    // Everything was asked of the session, under its title of now.
    void AskedEverything(const WalkedSession& session);
    // A reply: the field the code names takes the answer; none leaves the field as it was.
    void Store(WindowHandle window, int code, const char* answer);
    // The session's answers (System, Client, User, Server group, Transaction) into record;
    // nothing for a window the book does not know.
    void CopyAnswers(WindowHandle window, SessionRecord& record) const;
    int Size() const { return static_cast<int>(entries_.size()); }

private:
    struct Entry {
        SessionRecord answers;  // its window and the five answered fields
        char askedTitle[256];   // the title when everything was last asked; empty: never
    };
    Entry* Find(WindowHandle window);
    const Entry* Find(WindowHandle window) const;

    std::vector<Entry> entries_;
};

}  // namespace quilvo
