// Numbers as users mistype them in the ini file, and what the platform's integer read makes
// of them (measured on Wine). The in-memory profile of the native tests must agree with the
// real one: both test suites run this one table.
#pragma once

namespace quilvo::test {

struct JunkNumber {
    const char* stored;
    int expected;
};

constexpr JunkNumber kJunkNumbers[] = {
    {"12abc", 12}, {" 7", 7},    {"", 0},        {"-", 0},
    {"abc", 0},    {"-12", -12}, {"+5", 5},      {"99999999999", 1215752191},
    {"0x10", 16},  {"010", 10},  {"\"42\"", 42}, {"-2147483649", 2147483647},
    {"4294967295", -1},
};

}  // namespace quilvo::test
