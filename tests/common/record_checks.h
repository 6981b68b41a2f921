// Checks of a session record's or a box filter's text fields, shared by the native and the
// Windows-side tests; and the records and snapshots of the tests' choosing (snapshots.h).
#pragma once

#include <gtest/gtest.h>

#include <cstring>

#include "core/session.h"
#include "snapshots.h"

namespace test {

// System, Client, User and Transaction of a record, a filter or split Selection fields.
template <typename Fields>
void ExpectFields(const Fields& f, const char* system, const char* client, const char* user,
                  const char* transaction) {
    EXPECT_STREQ(f.system, system);
    EXPECT_STREQ(f.client, client);
    EXPECT_STREQ(f.user, user);
    EXPECT_STREQ(f.transaction, transaction);
}

// A session that answered every query with an overlong text ("ABCD" as its System) holds
// each answer cut to its field.
inline void ExpectAnswersCutToTheirFields(const quilvo::SessionRecord& r) {
    EXPECT_STREQ(r.system, "ABC");
    EXPECT_EQ(std::strlen(r.client), 3u);
    EXPECT_EQ(std::strlen(r.user), 13u);
    EXPECT_EQ(std::strlen(r.serverGroup), 11u);
    EXPECT_EQ(std::strlen(r.transaction), 63u);
}

}  // namespace test
