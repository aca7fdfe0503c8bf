// The trace's sum rule on random allocations: whatever the balances, the
// mode and the colour, the rows' taken amounts are exactly what the pass
// chose, every row has one reason, and a passed-over row took nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "selection/allocation_trace.h"

namespace korvane::selection {
namespace {

TEST(TraceSumRule, HoldsOnAThousandRandomAllocations) {
    std::mt19937 rng(20261207);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    // amounts in hundredths, as a clerk types them
    auto hundredths = [&](int lo, int hi) { return Amount::millionths(static_cast<std::int64_t>(pick(lo, hi)) * 10'000); };
    for (int run = 0; run < 1000; ++run) {
        AllocationModel m;
        AllocationMode mode;
        mode.ref_type = pick(0, 2);
        mode.red = pick(0, 1) == 1;
        mode.multi_select = pick(0, 4) != 0;
        mode.stock_count = pick(0, 9) == 0;
        mode.both_editable = pick(0, 3) == 0;
        mode.has_pieces = pick(0, 1) == 1;
        m.set_mode(mode);
        const AllocationModel::ShowBoxes boxes{pick(0, 5) != 0, pick(0, 1) == 1, pick(0, 1) == 1};
        std::vector<Candidate> rows(static_cast<std::size_t>(pick(0, 12)));
        long position = 0;
        for (Candidate& c : rows) {
            c.balance_quantity = hundredths(-500, 3000);
            if (pick(0, 4) == 0) c.balance_quantity = Amount();
            c.balance_pieces = hundredths(0, 300);
            c.hidden = !AllocationModel::shown(c.balance_quantity, boxes);
            c.position = ++position;
        }
        const int sign = mode.red ? -1 : 1;
        m.set_rate(pick(0, 2) == 0 ? Amount() : hundredths(1, 1200));
        m.set_quantity(hundredths(0, 8000) * sign);
        m.set_pieces(mode.both_editable ? hundredths(0, 500) * sign : Amount());
        m.load(rows);
        m.reset_remaining();
        m.auto_match();

        const AllocationTrace t = trace_of(m);
        ASSERT_EQ(t.rows.size(), rows.size());
        EXPECT_EQ(t.taken_quantity(), m.chosen_quantity()) << "run " << run;
        EXPECT_EQ(t.taken_pieces(), m.chosen_pieces()) << "run " << run;
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const TraceRow& r = t.rows[i];
            EXPECT_EQ(r.position, static_cast<long>(i) + 1);
            if (!r.taken()) EXPECT_TRUE(r.quantity.is_zero() && r.pieces.is_zero()) << "run " << run << " row " << i;
            if (r.reason == TraceReason::Hidden) EXPECT_TRUE(rows[i].hidden);
            if (rows[i].hidden) EXPECT_FALSE(r.taken());
        }
        EXPECT_EQ(trace_of(m).json(), t.json()) << "the same pass, the same text";
    }
}

}  // namespace
}  // namespace korvane::selection
