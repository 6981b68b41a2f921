#include "core/reopen_run.h"

#include <algorithm>

#include "base/text.h"
#include "core/find_ranking.h"

namespace quilvo {

const SessionRecord* ReopenRun::Sender(const SessionSnapshot& latest) const {
    const auto ofLogon = [&](const SessionRecord& r) { return SameKeptLogon(LogonNameOf(r), offer_.logon); };
    const SessionRecord* target = latest.Find(target_);
    if (target != nullptr && ofLogon(*target)) return target;
    auto other = std::find_if(latest.sessions.begin(), latest.sessions.end(), ofLogon);
    return other == latest.sessions.end() ? nullptr : &*other;
}

bool ReopenRun::Next(const SessionSnapshot& latest, std::uint32_t now, std::string& okCode, WindowHandle& to) {
    if (watch_.Waiting()) return false;
    const SessionRecord* sender = Sender(latest);
    const auto sessions = std::count_if(latest.sessions.begin(), latest.sessions.end(), [&](const SessionRecord& r) {
        return SameKeptLogon(LogonNameOf(r), offer_.logon);
    });
    for (; next_ < offer_.missing.size(); ++next_) {
        const std::string code = FieldText(offer_.missing[next_].transaction);
        // Only "/o" and a transaction code ever goes out: never a code that ends a session.
        if (sender == nullptr || sessions >= maxSessions_ || !IsTransactionCode(code)) {
            notOpened_.push_back(code);
            continue;
        }
        awaited_ = offer_.missing[next_++];
        watch_.Start(latest, *sender, code, now);
        okCode = "/o" + code;
        to = sender->window;
        return true;
    }
    return false;
}

ReopenRun::Step ReopenRun::OnPass(const SessionSnapshot& pass, std::uint32_t now) {
    Step step = {OpenWatch::Outcome::None, kNoWindow, KeptSession{}};
    step.outcome = watch_.Check(pass.sessions, now, step.window);
    if (step.outcome == OpenWatch::Outcome::Opened) step.kept = awaited_;
    if (step.outcome == OpenWatch::Outcome::NotOpened) notOpened_.push_back(FieldText(awaited_.transaction));
    return step;
}

}  // namespace quilvo
