#include "core/kept_sessions.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>

#include "base/int_range.h"
#include "base/text.h"
#include "core/find_ranking.h"

namespace quilvo {
namespace {

// A logon of the pass and its sessions now that may be kept, in the pass's order.
struct LogonNow {
    KeptLogonName name;
    std::vector<KeptSession> sessions;
};

// A word of the file: set, and without a blank or a control character.
template <std::size_t N>
bool IsKeptWord(const char (&field)[N]) {
    const std::string text = FieldText(field);
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > ' ' && byte != 0x7F;
    });
}

std::int32_t KeptCoordinate(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -kKeptCoordinateLimit, kKeptCoordinateLimit));
}

NormalRect KeptRect(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom) {
    return NormalRect{KeptCoordinate(left), KeptCoordinate(top), KeptCoordinate(right), KeptCoordinate(bottom)};
}

bool IsEmpty(const NormalRect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool SameRect(const NormalRect& a, const NormalRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The first box 0..5 whose members hold each session of the pass, -1 for none: the boxes are
// walked from the last, so the first that holds a session is the one it keeps.
std::vector<int> FirstBoxes(const SessionSnapshot& pass) {
    std::vector<int> boxes(pass.sessions.size(), -1);
    for (int box = kBoxCount - 1; box >= 0; --box) {
        for (const std::int16_t position : pass.members[box]) {
            if (position >= 0 && static_cast<std::size_t>(position) < boxes.size()) boxes[position] = box;
        }
    }
    return boxes;
}

// A session is kept when it runs a transaction code and its rectangle, clamped to what the file
// holds, is not empty: a session nowhere could not be put back anywhere.
bool KeptSessionOf(const SessionRecord& r, int box, const MonitorList& monitors, KeptSession& out) {
    const std::string code = FieldText(r.transaction);
    out = KeptSession{};
    out.normal = KeptRect(r.x, r.y, static_cast<std::int64_t>(r.x) + r.width, static_cast<std::int64_t>(r.y) + r.height);
    if (!IsTransactionCode(code) || IsEmpty(out.normal)) return false;
    CopyCut(out.transaction, code.c_str());
    out.box = box;
    out.maximized = r.zoomed != 0;
    const MonitorArea* on = MonitorFor(monitors, out.normal);
    if (on != nullptr) {
        const NormalRect& m = on->monitor;
        out.monitor = KeptRect(m.left, m.top, m.right, m.bottom);
    }
    if (IsEmpty(out.monitor)) out.monitor = NormalRect{0, 0, 0, 0};
    return true;
}

std::vector<LogonNow> LogonsOf(const SessionSnapshot& pass, const MonitorList& monitors) {
    const std::vector<int> boxes = FirstBoxes(pass);
    std::vector<LogonNow> logons;
    for (std::size_t i = 0; i < pass.sessions.size(); ++i) {
        const KeptLogonName name = LogonNameOf(pass.sessions[i]);
        if (!IsKeptLogon(name)) continue;
        auto now = std::find_if(logons.begin(), logons.end(), [&](const LogonNow& l) { return SameKeptLogon(l.name, name); });
        if (now == logons.end()) now = logons.insert(logons.end(), LogonNow{name, {}});
        // Beyond the bound, the sessions furthest back on the desktop are the ones left out.
        KeptSession kept;
        if (now->sessions.size() < static_cast<std::size_t>(kMaxKeptSessions) &&
            KeptSessionOf(pass.sessions[i], boxes[i], monitors, kept)) {
            now->sessions.push_back(kept);
        }
    }
    return logons;
}

// The kept order: by code, then box (none last), then place. It does not follow the desktop's
// stacking order, so bringing a session to the front changes nothing kept.
bool KeptBefore(const KeptSession& a, const KeptSession& b) {
    const int byCode = std::strcmp(a.transaction, b.transaction);
    if (byCode != 0) return byCode < 0;
    const unsigned boxA = static_cast<unsigned>(a.box), boxB = static_cast<unsigned>(b.box);
    if (boxA != boxB) return boxA < boxB;
    const auto key = [](const KeptSession& s) {
        return std::make_tuple(s.normal.top, s.normal.left, s.normal.bottom, s.normal.right, s.maximized, s.monitor.top,
                               s.monitor.left, s.monitor.bottom, s.monitor.right);
    };
    return key(a) < key(b);
}

bool SameSession(const KeptSession& a, const KeptSession& b) {
    return std::strcmp(a.transaction, b.transaction) == 0 && a.box == b.box && SameRect(a.normal, b.normal) &&
           a.maximized == b.maximized && SameRect(a.monitor, b.monitor);
}

// Spelled alike too: a logon whose sessions now spell it otherwise is written anew.
bool SameLogonList(const std::vector<KeptLogon>& a, const std::vector<KeptLogon>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const KeptLogon& x, const KeptLogon& y) {
        return std::memcmp(&x.name, &y.name, sizeof x.name) == 0 &&
               std::equal(x.sessions.begin(), x.sessions.end(), y.sessions.begin(), y.sessions.end(), SameSession);
    });
}

int CountOf(const std::vector<KeptSession>& sessions, const char* code) {
    return static_cast<int>(std::count_if(sessions.begin(), sessions.end(),
                                          [&](const KeptSession& s) { return EqualsNoCase(s.transaction, code); }));
}

// The entries for which keep(entry, rank) holds, rank counting the earlier entries of its code.
template <typename Keep>
std::vector<KeptSession> Sifted(const std::vector<KeptSession>& entries, Keep keep) {
    std::vector<KeptSession> out;
    for (auto e = entries.begin(); e != entries.end(); ++e) {
        const int rank = static_cast<int>(
            std::count_if(entries.begin(), e, [&](const KeptSession& s) { return EqualsNoCase(s.transaction, e->transaction); }));
        if (keep(*e, rank)) out.push_back(*e);
    }
    return out;
}

// The kept sessions no session runs now: of a code kept n times and run m times now, the last
// n - m in the kept order.
std::vector<KeptSession> MissingFrom(const std::vector<KeptSession>& kept, const std::vector<KeptSession>& now) {
    return Sifted(kept, [&](const KeptSession& s, int rank) { return rank >= CountOf(now, s.transaction); });
}

// An offer's sessions that are missing still. It only ever shrinks: a session the user closes
// after the offer was made is not offered, as it would not have been kept.
std::vector<KeptSession> StillMissing(const std::vector<KeptSession>& missing, const std::vector<KeptSession>& keptThen,
                                      const std::vector<KeptSession>& now) {
    return Sifted(missing, [&](const KeptSession& s, int rank) {
        return rank < CountOf(keptThen, s.transaction) - CountOf(now, s.transaction);
    });
}

// The sessions now and, while the bound allows, the ones an offer waits for, in the kept order.
std::vector<KeptSession> Merged(const std::vector<KeptSession>& now, const std::vector<KeptSession>& missing) {
    std::vector<KeptSession> all = now;
    for (const KeptSession& s : missing) {
        if (all.size() < static_cast<std::size_t>(kMaxKeptSessions)) all.push_back(s);
    }
    std::sort(all.begin(), all.end(), KeptBefore);
    return all;
}

bool Overlaps(const NormalRect& a, const NormalRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool OnAnyMonitor(const MonitorList& monitors, const NormalRect& r) {
    return std::any_of(monitors.items, monitors.items + monitors.count,
                       [&](const MonitorArea& m) { return Overlaps(m.monitor, r); });
}

bool HasMonitor(const MonitorList& monitors, const NormalRect& monitor) {
    return std::any_of(monitors.items, monitors.items + monitors.count,
                       [&](const MonitorArea& m) { return SameRect(m.monitor, monitor); });
}

// One edge range [low, low + extent) moved by offset, then inside [areaLow, areaHigh), cut to fit.
void Fit(std::int64_t low, std::int64_t extent, std::int64_t offset, std::int64_t areaLow, std::int64_t areaHigh,
         std::int32_t& outLow, std::int32_t& outHigh) {
    const std::int64_t fitted = std::min(extent, areaHigh - areaLow);
    const std::int64_t moved = std::max(areaLow, std::min(low + offset, areaHigh - fitted));
    outLow = ClampToInt32(moved);
    outHigh = ClampToInt32(moved + fitted);
}

NormalRect MovedInside(const NormalRect& r, std::int64_t dx, std::int64_t dy, const NormalRect& area) {
    NormalRect out;
    Fit(r.left, SpanOf(r.left, r.right), dx, area.left, area.right, out.left, out.right);
    Fit(r.top, SpanOf(r.top, r.bottom), dy, area.top, area.bottom, out.top, out.bottom);
    return out;
}

std::string LogonText(const KeptLogonName& name) {
    return FieldText(name.system) + " " + FieldText(name.client) + " " + FieldText(name.user);
}

// At most six codes, so that a notice or a menu entry stays one short line.
std::string CodesText(const std::vector<std::string>& codes) {
    constexpr std::size_t kShownCodes = 6;
    std::string text;
    for (std::size_t i = 0; i < codes.size() && i < kShownCodes; ++i) text += (i > 0 ? ", " : "") + codes[i];
    if (codes.size() > kShownCodes) text += ", ...";
    return text;
}

std::string OfferText(const ReopenOffer& offer) {
    std::vector<std::string> codes;
    for (const KeptSession& s : offer.missing) codes.push_back(FieldText(s.transaction));
    return LogonText(offer.logon) + ": " + CodesText(codes);
}

}  // namespace

KeptLogonName LogonNameOf(const SessionRecord& r) {
    KeptLogonName name = {};
    CopyCut(name.system, FieldText(r.system).c_str());
    CopyCut(name.client, FieldText(r.client).c_str());
    CopyCut(name.user, FieldText(r.user).c_str());
    return name;
}

bool SameKeptLogon(const KeptLogonName& a, const KeptLogonName& b) {
    return EqualsNoCase(a.system, b.system) && EqualsNoCase(a.client, b.client) && EqualsNoCase(a.user, b.user);
}

bool IsKeptLogon(const KeptLogonName& name) {
    return IsKeptWord(name.system) && IsKeptWord(name.client) && IsKeptWord(name.user);
}

bool IsKeptRect(const NormalRect& r) {
    return !IsEmpty(r) && SameRect(r, KeptRect(r.left, r.top, r.right, r.bottom));
}

bool KeptSessions::WasPresent(const KeptLogonName& logon) const {
    return std::any_of(present_.begin(), present_.end(), [&](const KeptLogonName& p) { return SameKeptLogon(p, logon); });
}

KeptSessions::Standing* KeptSessions::StandingFor(const KeptLogonName& logon) {
    auto it = std::find_if(standing_.begin(), standing_.end(),
                           [&](const Standing& s) { return SameKeptLogon(s.offer.logon, logon); });
    return it == standing_.end() ? nullptr : &*it;
}

void KeptSessions::Follow(const KeptLogonName& name, const std::vector<KeptSession>& now, std::vector<KeptLogon>& next) {
    auto kept = std::find_if(next.begin(), next.end(), [&](const KeptLogon& l) { return SameKeptLogon(l.name, name); });
    if (kept == next.end()) kept = next.insert(next.end(), KeptLogon{name, {}});
    if (!WasPresent(name)) {
        std::vector<KeptSession> missing = MissingFrom(kept->sessions, now);
        if (!missing.empty()) standing_.push_back(Standing{ReopenOffer{name, std::move(missing)}, kept->sessions, false});
    }
    Standing* standing = StandingFor(name);
    if (standing != nullptr) {
        standing->offer.logon = name;
        standing->offer.missing = StillMissing(standing->offer.missing, standing->keptThen, now);
    }
    kept->name = name;
    kept->sessions = Merged(now, standing != nullptr ? standing->offer.missing : std::vector<KeptSession>());
}

void KeptSessions::PublishOffers() {
    offers_.clear();
    for (const Standing& s : standing_) offers_.push_back(s.offer);
}

bool KeptSessions::Observe(const SessionSnapshot& pass, const MonitorList& monitors) {
    const std::vector<LogonNow> logons = LogonsOf(pass, monitors);
    std::vector<KeptLogon> next = logons_;
    for (const LogonNow& now : logons) Follow(now.name, now.sessions, next);
    present_.clear();
    for (const LogonNow& now : logons) present_.push_back(now.name);
    standing_.erase(std::remove_if(standing_.begin(), standing_.end(),
                                   [&](const Standing& s) { return s.offer.missing.empty() || !WasPresent(s.offer.logon); }),
                    standing_.end());
    // The logons of the pass first, then the others as they were: the most recently seen lead.
    // A pass holds fewer sessions than the bound's logons, so only logons not seen go over it.
    std::stable_partition(next.begin(), next.end(), [&](const KeptLogon& l) { return WasPresent(l.name); });
    if (next.size() > static_cast<std::size_t>(kMaxKeptLogons)) next.resize(kMaxKeptLogons);
    PublishOffers();
    const bool changed = !SameLogonList(next, logons_);
    logons_ = std::move(next);
    return changed;
}

std::vector<ReopenOffer> KeptSessions::TakeNewOffers() {
    std::vector<ReopenOffer> fresh;
    for (Standing& s : standing_) {
        if (!s.announced) fresh.push_back(s.offer);
        s.announced = true;
    }
    return fresh;
}

bool KeptSessions::Take(const KeptLogonName& logon, ReopenOffer& out) {
    Standing* standing = StandingFor(logon);
    if (standing == nullptr) return false;
    out = standing->offer;
    standing_.erase(standing_.begin() + (standing - standing_.data()));
    PublishOffers();
    return true;
}

void KeptSessions::Restore(std::vector<KeptLogon> logons) {
    if (logons.size() > static_cast<std::size_t>(kMaxKeptLogons)) logons.resize(kMaxKeptLogons);
    for (KeptLogon& l : logons) {
        if (l.sessions.size() > static_cast<std::size_t>(kMaxKeptSessions)) l.sessions.resize(kMaxKeptSessions);
    }
    logons_ = std::move(logons);
    present_.clear();
    standing_.clear();
    offers_.clear();
}

NormalRect PlaceKept(const KeptSession& kept, const MonitorList& now) {
    if (now.count <= 0) return kept.normal;
    // Without a monitor of then, the session is taken as being on its monitor still.
    if (IsEmpty(kept.monitor) || HasMonitor(now, kept.monitor)) {
        if (OnAnyMonitor(now, kept.normal)) return kept.normal;
        return MovedInside(kept.normal, 0, 0, MonitorFor(now, kept.normal)->work);
    }
    const MonitorArea* to = MonitorFor(now, kept.monitor);
    return MovedInside(kept.normal, static_cast<std::int64_t>(to->monitor.left) - kept.monitor.left,
                       static_cast<std::int64_t>(to->monitor.top) - kept.monitor.top, to->work);
}

std::string ReopenNoticeText(const ReopenOffer& offer) {
    const std::size_t count = offer.missing.size();
    return "Reopen " + std::to_string(count) + (count == 1 ? " session on " : " sessions on ") + OfferText(offer);
}

std::string ReopenMenuText(const ReopenOffer& offer) {
    std::string text;
    for (const char c : OfferText(offer)) text += c == '&' ? std::string("&&") : std::string(1, c);
    return text;
}

std::string NotReopenedText(const std::vector<std::string>& codes) {
    return codes.empty() ? std::string() : CodesText(codes) + " did not open";
}

}  // namespace quilvo
