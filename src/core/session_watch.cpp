#include "core/session_watch.h"

#include <algorithm>

#include "base/text.h"

namespace quilvo {
namespace {

void Append(std::string& text, const std::string& part) {
    if (part.empty()) return;
    if (!text.empty()) text += ' ';
    text += part;
}

bool SameText(const std::string& a, const std::string& b) { return EqualsNoCase(a.c_str(), b.c_str()); }

}  // namespace

std::string BusyTimeText(std::uint32_t ms) {
    const std::uint32_t seconds = ms / 1000;
    if (seconds < 60) return std::to_string(seconds) + " s";
    if (seconds < 3600) {
        const std::uint32_t rest = seconds % 60;
        return std::to_string(seconds / 60) + " min" + (rest ? " " + std::to_string(rest) + " s" : "");
    }
    const std::uint32_t minutes = seconds / 60 % 60;
    return std::to_string(seconds / 3600) + " h" + (minutes ? " " + std::to_string(minutes) + " min" : "");
}

std::string ReadyName(const SessionRecord& r) {
    std::string name;
    for (const std::string& part : {FieldText(r.system), FieldText(r.client), FieldText(r.transaction), FieldText(r.title)}) {
        Append(name, part);
    }
    return name;
}

std::string ReadyNoticeText(const std::vector<std::string>& names, std::uint32_t busyMsOfOne, std::size_t maxBytes,
                            LeadBytePredicate isLeadByte) {
    if (names.empty()) return std::string();
    std::string text = names.size() == 1 ? names[0] + ": ready after " + BusyTimeText(busyMsOfOne)
                                         : std::to_string(names.size()) + " sessions are ready: ";
    for (std::size_t i = 0; names.size() > 1 && i < names.size(); ++i) {
        const std::string next = (i > 0 ? ", " : "") + names[i];
        // Room kept for the "..." that says names were left out.
        const std::size_t room = i + 1 < names.size() ? 3 : 0;
        if (text.size() + next.size() + room > maxBytes) return text + "...";
        text += next;
    }
    // A single name too long for the balloon: cut at a whole character, and marked as cut.
    if (text.size() > maxBytes) {
        const int room = static_cast<int>(maxBytes >= 3 ? maxBytes - 3 : 0);
        text = text.substr(0, static_cast<std::size_t>(WholeCharacters(text.c_str(), room, isLeadByte))) + "...";
    }
    return text;
}

ReadyWatch::Spell* ReadyWatch::Find(WindowHandle window) {
    auto it = std::find_if(spells_.begin(), spells_.end(), [&](const Spell& s) { return s.window == window; });
    return it == spells_.end() ? nullptr : &*it;
}

void ReadyWatch::Drop(WindowHandle window) {
    spells_.erase(std::remove_if(spells_.begin(), spells_.end(), [&](const Spell& s) { return s.window == window; }),
                  spells_.end());
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(), [&](const Ready& r) { return r.window == window; }),
                   pending_.end());
}

void ReadyWatch::FollowOne(SessionRecord& r, WindowHandle foreground, std::uint32_t now) {
    Spell* spell = Find(r.window);
    if (r.busy) {
        if (spell == nullptr) {
            spells_.push_back(Spell{r.window, now, false});
        } else if (spell->ready) {
            Drop(r.window);  // busy again: a new spell, and its old notice is no longer news
            spells_.push_back(Spell{r.window, now, false});
        }
    } else if (spell != nullptr && !spell->ready) {
        const std::uint32_t busyMs = now - spell->since;
        if (busyMs >= readyAfterMs_ && r.window != foreground) {
            spell->ready = true;
            if (pending_.empty()) pendingSince_ = now;
            pending_.push_back(Ready{r.window, ReadyName(r), busyMs});
        } else {
            Drop(r.window);
        }
    } else if (spell != nullptr && r.window == foreground) {
        Drop(r.window);  // the user has it in front
    }
    spell = Find(r.window);
    r.ready = spell != nullptr && spell->ready ? 1 : 0;
}

void ReadyWatch::Follow(std::vector<SessionRecord>& sessions, WindowHandle foreground, std::uint32_t now) {
    if (readyAfterMs_ == 0) return;
    // Sessions gone since the last pass take their spells with them.
    for (std::size_t i = spells_.size(); i-- > 0;) {
        const WindowHandle window = spells_[i].window;
        if (std::none_of(sessions.begin(), sessions.end(), [&](const SessionRecord& r) { return r.window == window; })) {
            Drop(window);
        }
    }
    for (SessionRecord& r : sessions) FollowOne(r, foreground, now);
}

bool ReadyWatch::TakeNotice(std::uint32_t now, ReadyNotice& out) {
    if (pending_.empty() || now - pendingSince_ < kReadyGatherMs) return false;
    std::vector<std::string> names;
    for (const Ready& r : pending_) names.push_back(r.name);
    // The balloon's text holds 255 bytes.
    out.text = ReadyNoticeText(names, pending_[0].busyMs, 255, isLeadByte_);
    out.first = pending_[0].window;
    pending_.clear();
    return true;
}

void OpenWatch::Start(const SessionSnapshot& snapshot, const SessionRecord& r, const std::string& code,
                      std::uint32_t now) {
    waiting_ = true;
    system_ = FieldText(r.system);
    client_ = FieldText(r.client);
    user_ = FieldText(r.user);
    code_ = code;
    startedAt_ = now;
    before_.clear();
    for (const SessionRecord& s : snapshot.sessions) before_.push_back(s.window);
}

OpenWatch::Outcome OpenWatch::Check(const std::vector<SessionRecord>& sessions, std::uint32_t now, WindowHandle& window) {
    if (!waiting_) return Outcome::None;
    for (const SessionRecord& r : sessions) {
        const bool known = std::find(before_.begin(), before_.end(), r.window) != before_.end();
        if (!known && SameText(FieldText(r.system), system_) && SameText(FieldText(r.client), client_) &&
            SameText(FieldText(r.user), user_)) {
            waiting_ = false;
            window = r.window;
            return Outcome::Opened;
        }
    }
    if (now - startedAt_ < kOpenWaitMs) return Outcome::Waiting;
    waiting_ = false;
    return Outcome::NotOpened;
}

std::string OpenWatch::NotOpenedText() const {
    return "New session: " + code_ + " on " + system_ + " " + client_ + " " + user_ + " did not open";
}

}  // namespace quilvo
