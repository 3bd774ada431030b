// The translation of the redirector's status words into Win32 results: every
// row, in order, written out here by result so that a row that drifts in the
// library's table fails; a word in no row; and what a failed request turns
// into when its status word says nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "cvprov/provider_device.h"
#include "cvprov/status_table.h"
#include "platform/errors.h"
#include "platform/last_error.h"

namespace {

struct Group {
    win32::DWORD result;
    std::vector<std::uint16_t> statuses;
};

// clang-format off
const std::vector<Group> kGroups = {
    {0, {0}},
    {1, {20, 21, 517, 2020}},
    {2, {2, 6, 549, 1203}},
    {5, {1, 30, 522, 551, 510, 2001}},
    {14, {501, 505, 544}},
    {17, {18, 550}},
    {31, {1204}},
    {32, {527, 3201, 3202, 3203, 3204, 3205, 3206, 3208, 3209}},
    {33, {526, 3001, 3002, 3003, 3004, 3005, 3006, 3008, 3009}},
    {50, {554, 12004}},
    {58, {509, 516, 19, 31, 71, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 504, 518, 538,
          552, 1201, 1202, 12006}},
    {64, {3207, 3007, 70, 10001}},
    {65, {13, 2013}},
    {67, {553, 537, 1101, 2002}},
    {86, {1001, 1002, 5000, 4992, 4993, 4994, 4995, 4996, 4997, 4998, 4999}},
    {87, {22, 525, 545, 2022}},
    {111, {27, 529}},
    {112, {28, 69}},
    {121, {513, 541}},
    {145, {66}},
    {183, {17, 555, 520, 521, 519}},
    {206, {5, 63, 2063}},
    {259, {507}},
    {997, {524}},
    {1117, {2005}},
    {1200, {1102}},
    {1203, {533, 528, 559}},
    {1358, {531, 542, 546}},
    {1359, {543, 536, 535, 534, 530, 523, 515, 514, 511, 512, 508, 503, 506, 548}},
    {2250, {502, 532}},
    {2401, {557}},
};
// clang-format on

// Far from every row, and not a Win32 code that any row gives.
constexpr win32::DWORD kMarker = 0x0BADF00D;

TEST(StatusTable, EveryRowInOrder) {
    std::vector<cvprov::StatusRow> expected;
    for (const Group& group : kGroups) {
        for (std::uint16_t status : group.statuses) {
            expected.push_back({status, group.result});
        }
    }
    ASSERT_EQ(expected.size(), 127u);
    std::span<const cvprov::StatusRow> table = cvprov::StatusTable();
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(table[i].status, expected[i].status) << "row " << i;
        EXPECT_EQ(table[i].result, expected[i].result) << "row " << i;
        win32::SetLastError(kMarker);
        EXPECT_EQ(cvprov::MapRedirectorStatus(expected[i].status), expected[i].result)
            << "status " << expected[i].status;
    }
}

TEST(StatusTable, AWordInNoRowGivesTheThreadsLastError) {
    std::set<std::uint16_t> known;
    for (const Group& group : kGroups) {
        known.insert(group.statuses.begin(), group.statuses.end());
    }
    for (std::uint16_t status : {3u, 500u, 540u, 556u, 558u, 560u, 3000u, 3200u, 65535u}) {
        ASSERT_EQ(known.count(status), 0u) << status;
        win32::SetLastError(kMarker);
        EXPECT_EQ(cvprov::MapRedirectorStatus(status), kMarker) << status;
        win32::SetLastError(0);
        EXPECT_EQ(cvprov::MapRedirectorStatus(status), 0u) << status;
    }
}

// The result of one request: a word of the table, the last error captured
// with the request standing in for a word the table does not know, and the
// captured error itself when the redirector left the word at 0 (which the
// table would otherwise take for success).
TEST(StatusTable, TranslateAFailedRequest) {
    struct Case {
        cvprov::Outcome outcome;
        win32::DWORD expected;
    };
    const Case cases[] = {
        {{true, 0, 0}, 0},
        {{true, 532, 0}, 0},  // a request that went through is not failed by its word
        {{false, 532, win32::ERROR_NOT_CONNECTED}, 2250},
        {{false, 545, win32::ERROR_OPEN_FILES}, 87},
        {{false, 0, win32::ERROR_GEN_FAILURE}, win32::ERROR_GEN_FAILURE},
        {{false, 0, kMarker}, kMarker},
        {{false, 3000, kMarker}, kMarker},
    };
    for (const Case& c : cases) {
        win32::SetLastError(0x1234);
        EXPECT_EQ(cvprov::Translate(c.outcome), c.expected)
            << "status " << c.outcome.status << " error " << c.outcome.error;
    }
}

}  // namespace
