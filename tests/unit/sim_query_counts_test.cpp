// The simulator's query counts: every code lands in its own count or in other, and the text of
// `queries` reads back as it was written, while anything else is refused.
#include <string>

#include <gtest/gtest.h>

#include "query_counts.h"

namespace sessionsim {
namespace {

TEST(SimQueryCounts, CountsEachCodeAndReadsItsTextBack) {
    QueryCounts counts;
    for (long long code : {4, 4, 11, 15, 15, 15, 10, 5, 3, 99, -1}) counts.Add(code);
    const std::string text = counts.Text();
    EXPECT_EQ(text, "total=11 c4=2 c11=1 c15=3 c10=1 c5=1 other=3");
    EXPECT_EQ(counts.Of(15), 3u);
    EXPECT_EQ(counts.Of(3), 3u);  // any code not counted alone: other's count

    QueryCounts read;
    ASSERT_TRUE(QueryCounts::Read(text, read));
    EXPECT_EQ(read.Text(), text);
    read += counts;
    EXPECT_EQ(read.Text(), "total=22 c4=4 c11=2 c15=6 c10=2 c5=2 other=6");
}

TEST(SimQueryCounts, RefusesOtherTextsAndKeepsWhatItHad) {
    const char* const refused[] = {
        "",
        "total=1 c4=1 c11=0 c15=0 c10=0 c5=0",                  // other missing
        "total=2 c4=1 c11=0 c15=0 c10=0 c5=0 other=0",          // total is not the sum
        "total=1 c11=0 c4=1 c15=0 c10=0 c5=0 other=0",          // codes out of order
        "total=1 c4=1 c11=0 c15=0 c10=0 c5=0 other=0 ",         // trailing blank
        "total=1 c4=+1 c11=0 c15=0 c10=0 c5=0 other=0",         // sign
        "total= c4=0 c11=0 c15=0 c10=0 c5=0 other=0",           // no digits
        "total=99999999999999999999 c4=0 c11=0 c15=0 c10=0 c5=0 other=0",  // too long
        "error no session 'X'",
    };
    for (const char* text : refused) {
        QueryCounts kept;
        kept.Add(4);
        EXPECT_FALSE(QueryCounts::Read(text, kept)) << "'" << text << "'";
        EXPECT_EQ(kept.Text(), "total=1 c4=1 c11=0 c15=0 c10=0 c5=0 other=0") << "'" << text << "'";
    }
}

}  // namespace
}  // namespace sessionsim
