#include "core/session_book.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "core/discovery.h"
#include "core/front_queries.h"

namespace quilvo {

SessionBook::Entry* SessionBook::Find(WindowHandle window) {
    for (Entry& e : entries_)
        if (e.answers.window == window) return &e;
    return nullptr;
}

const SessionBook::Entry* SessionBook::Find(WindowHandle window) const {
    for (const Entry& e : entries_)
        if (e.answers.window == window) return &e;
    return nullptr;
}

void SessionBook::Follow(const std::vector<WalkedSession>& found) {
    const auto gone = [&](const Entry& e) {
        return std::none_of(found.begin(), found.end(), [&](const WalkedSession& s) { return s.window == e.answers.window; });
    };
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(), gone), entries_.end());
    for (const WalkedSession& s : found) {
        if (Find(s.window) != nullptr) continue;
        Entry e;
        std::memset(&e, 0, sizeof e);
        e.answers.window = s.window;
        entries_.push_back(e);
    }
}

SessionBook::Ask SessionBook::WhatToAsk(const WalkedSession& session, bool forced) const {
    const Entry* e = Find(session.window);
    if (forced || e == nullptr || e->askedTitle[0] == '\0') return Ask::Everything;
    const SessionRecord& a = e->answers;
    // Letter case counts: a caption that changed only in case is a changed caption.
    if (std::strcmp(e->askedTitle, session.title) != 0) return Ask::Everything;
    if (a.system[0] == '\0' || a.client[0] == '\0' || a.user[0] == '\0') return Ask::Everything;
    return Ask::Transaction;
}

void SessionBook::AskedEverything(const WalkedSession& session) {
    if (Entry* e = Find(session.window)) CopyCut(e->askedTitle, session.title);
}

void SessionBook::Store(WindowHandle window, int code, const char* answer) {
    Entry* e = Find(window);
    if (e == nullptr || answer == nullptr || answer[0] == '\0') return;
    SessionRecord& r = e->answers;
    switch (code) {
        case kFrontClient: CopyCut(r.client, answer); break;
        case kFrontServerGroup: CopyCut(r.serverGroup, answer); break;
        case kFrontUser: CopyCut(r.user, answer); break;
        case kFrontSystem: CopyCut(r.system, answer); break;
        case kFrontTransaction: CopyCut(r.transaction, answer); break;
        default: break;
    }
}

void SessionBook::CopyAnswers(WindowHandle window, SessionRecord& record) const {
    const Entry* e = Find(window);
    if (e == nullptr) return;
    const SessionRecord& a = e->answers;
    std::memcpy(record.system, a.system, sizeof record.system);
    std::memcpy(record.serverGroup, a.serverGroup, sizeof record.serverGroup);
    std::memcpy(record.user, a.user, sizeof record.user);
    std::memcpy(record.transaction, a.transaction, sizeof record.transaction);
    std::memcpy(record.client, a.client, sizeof record.client);
}

}  // namespace quilvo
