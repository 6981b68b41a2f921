// What the program knows of the sessions, as one whole: the sessions the last complete pass
// found, in its order (the desktop's, top first), and the boxes as the last rebuild sorted them.
// A pass publishes a new snapshot; one published is never changed, so every reader (views,
// commands, the find window, the tray menu, the notices) sees a consistent picture without a
// copy or a lock, and keeps it alive for as long as it holds it. Readers that outlive a pass
// keep a session's window, never its record, and look it up in the snapshot of the moment.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "base/handle.h"
#include "core/boxes.h"
#include "core/session.h"

namespace quilvo {

class SessionSnapshot {
public:
    // Every session found, in the pass's order; record i has index i.
    std::vector<SessionRecord> sessions;
    // Each box's filter as the last rebuild read it (its Cascade flag too) and its sessions:
    // positions in `sessions`, in the box's order.
    BoxFilter filters[kBoxCount] = {};
    std::vector<std::int16_t> members[kBoxCount];
    // A box's filter names a production System (and Client): its panel is marked.
    std::uint8_t productionBox[kBoxCount] = {};

    int Count() const { return static_cast<int>(sessions.size()); }
    // The position of the window's session; -1 when the pass did not find it.
    int PositionOf(WindowHandle window) const;
    // The window's session, or none.
    const SessionRecord* Find(WindowHandle window) const;

    // The sessions of a box (0 to 5), or every session for kAllSessions; none for any other.
    int MemberCount(int box) const;
    const SessionRecord& Member(int box, int i) const;
    // A box's filter; an empty one for kAllSessions (it selects every session).
    const BoxFilter& Filter(int box) const;
};

using Snapshot = std::shared_ptr<const SessionSnapshot>;

// Where readers find the snapshot of the moment: the one the last pass published.
class SnapshotSource {
public:
    // Never none: an empty snapshot before the first pass.
    virtual Snapshot Current() const = 0;

protected:
    ~SnapshotSource() = default;
};

// A source that only holds a snapshot: for whoever shows sessions without a refresh cycle.
class HeldSnapshot final : public SnapshotSource {
public:
    explicit HeldSnapshot(Snapshot held = nullptr) : held_(std::move(held)) {
        if (!held_) held_ = std::make_shared<const SessionSnapshot>();
    }
    Snapshot Current() const override { return held_; }
    void Set(Snapshot snapshot) { held_ = std::move(snapshot); }

private:
    Snapshot held_;
};

}  // namespace quilvo
