// The allocation rules on their own: typed candidate rows and exact amounts,
// no grid, no record set, no account.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "selection/allocation.h"
#include "selection/allocation_trace.h"

namespace korvane::selection {
namespace {

Amount A(double v) { return Amount::of(v); }

struct Row {
    double balance, balance_pieces = 0;
    bool hidden = false;
};

AllocationModel model_of(AllocationMode mode, double quantity, double pieces, double rate, std::vector<Row> rows) {
    AllocationModel m;
    m.set_mode(mode);
    m.set_quantity(A(quantity));
    m.set_pieces(A(pieces));
    m.set_rate(A(rate));
    m.reset_remaining();
    std::vector<Candidate> candidates;
    long position = 0;
    for (const Row& r : rows) {
        Candidate& c = candidates.emplace_back();
        c.balance_quantity = A(r.balance);
        c.balance_pieces = A(r.balance_pieces);
        c.hidden = r.hidden;
        c.position = ++position;
    }
    m.load(std::move(candidates));
    return m;
}

// One field of every row, top to bottom.
template <class F>
auto each_row(const AllocationModel& m, F field) {
    std::vector<decltype(field(m.row(0)))> out;
    for (std::size_t i = 0; i < m.size(); ++i) out.push_back(field(m.row(i)));
    return out;
}
std::vector<double> out_quantities(const AllocationModel& m) {
    return each_row(m, [](const auto& r) { return r.out_quantity.value(); });
}
std::vector<double> out_pieces(const AllocationModel& m) {
    return each_row(m, [](const auto& r) { return r.out_pieces.value(); });
}
std::vector<bool> chosen(const AllocationModel& m) { return each_row(m, [](const auto& r) { return r.chosen; }); }

AllocationMode batch() { return AllocationMode{.ref_type = 0, .has_pieces = true}; }

TEST(AllocationAmount, ExactArithmeticRoundsHalfAwayFromZero) {
    EXPECT_EQ(A(2.675).millionths(), 2'675'000);
    EXPECT_EQ((A(1) / A(3)).millionths(), 333'333);
    EXPECT_EQ((A(2) / A(3)).millionths(), 666'667);
    EXPECT_EQ((A(-2) / A(3)).millionths(), -666'667);
    EXPECT_EQ((A(5) / A(2.5)), A(2));
    EXPECT_EQ((A(5) / Amount()), Amount()) << "no rate, no conversion";
    EXPECT_EQ((A(0.5) * A(0.000001)).millionths(), 1) << "half a millionth rounds up";
    EXPECT_EQ((A(-0.5) * A(0.000001)).millionths(), -1);
    // a quantity of a billion at a rate of a thousand does not overflow
    EXPECT_EQ(A(1e9) * A(1000), A(1e12));
    EXPECT_EQ(A(1e12) / A(1000), A(1e9));
    EXPECT_EQ(A(std::nan("")), Amount());
    EXPECT_GT(A(1e300), A(9e12));
    EXPECT_LT(A(-1e300), A(-9e12));
}

TEST(AllocationRules, EachRuleSortsByItsColumnsAndNoOtherDoes) {
    EXPECT_EQ(AllocationModel::sort_for(0, "批号先进先出"), "批号");
    EXPECT_EQ(AllocationModel::sort_for(0, "近效期先出"), "失效日期");
    EXPECT_EQ(AllocationModel::sort_for(0, "手工确定"), "");
    EXPECT_EQ(AllocationModel::sort_for(1, "先进先出"), "入库日期,入库系统编号");
    EXPECT_EQ(AllocationModel::sort_for(1, "后进先出"), "入库日期 Desc ,入库系统编号 Desc");
    EXPECT_EQ(AllocationModel::sort_for(1, "手工确定"), "");
    // a rule of the other kind, or any rule for returns and other kinds
    EXPECT_EQ(AllocationModel::sort_for(0, "先进先出"), "");
    EXPECT_EQ(AllocationModel::sort_for(1, "批号先进先出"), "");
    EXPECT_EQ(AllocationModel::sort_for(2, "先进先出"), "");
    EXPECT_EQ(AllocationModel::sort_for(5, "批号先进先出"), "");
    EXPECT_EQ(AllocationModel::sort_for(0, ""), "");
}

TEST(AllocationRules, TheRowsTakeTheRequestInOrderUntilItIsCovered) {
    auto m = model_of(batch(), 10, 0, 0, {{4}, {3}, {8}, {5}});
    m.auto_match();
    EXPECT_EQ(out_quantities(m), (std::vector<double>{4, 3, 3, 0}));
    EXPECT_EQ(chosen(m), (std::vector<bool>{true, true, true, false})) << "the fourth row is not touched";
    EXPECT_EQ(m.remaining_quantity(), Amount());
    EXPECT_EQ(m.chosen_quantity(), A(10));
    EXPECT_EQ(m.outcome(), AllocationModel::Outcome::Allocated);
    EXPECT_EQ(m.chosen_positions(), (std::vector<long>{1, 2, 3}));

    // A first row larger than the request is the only one chosen.
    auto first = model_of(batch(), 3, 0, 0, {{4}, {8}});
    first.auto_match();
    EXPECT_EQ(out_quantities(first), (std::vector<double>{3, 0}));
    EXPECT_EQ(chosen(first), (std::vector<bool>{true, false}));
}

TEST(AllocationRules, HiddenRowsAreNeverChosenAutomatically) {
    const AllocationModel::ShowBoxes standard;  // positive balances only
    EXPECT_TRUE(AllocationModel::shown(A(0.5), standard));
    EXPECT_FALSE(AllocationModel::shown(A(0), standard));
    EXPECT_FALSE(AllocationModel::shown(A(-1), standard));
    const AllocationModel::ShowBoxes all{true, true, true};
    EXPECT_TRUE(AllocationModel::shown(A(0), all));
    EXPECT_TRUE(AllocationModel::shown(A(-1), all));
    EXPECT_FALSE(AllocationModel::shown(A(2), AllocationModel::ShowBoxes{false, true, true}));

    auto m = model_of(batch(), 4, 0, 0, {{0, 0, true}, {-2, 0, true}, {5}});
    EXPECT_EQ(m.shown(), (std::vector<std::size_t>{2}));
    m.auto_match();
    EXPECT_EQ(chosen(m), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(out_quantities(m), (std::vector<double>{0, 0, 4}));
    EXPECT_EQ(m.chosen_positions(), (std::vector<long>{3}));
}

TEST(AllocationRules, TakingARowBackGivesItsAmountBack) {
    auto m = model_of(batch(), 10, 0, 2.5, {{4}, {3}, {8}});
    m.auto_match();
    EXPECT_EQ(out_pieces(m), (std::vector<double>{1.6, 1.2, 1.2})) << "pieces follow the rate";
    const auto t = m.toggle(1);
    EXPECT_TRUE(t.took_back);
    EXPECT_FALSE(m.row(1).chosen);
    EXPECT_EQ(m.row(1).out_quantity, Amount());
    EXPECT_EQ(m.row(1).out_pieces, Amount());
    EXPECT_EQ(m.remaining_quantity(), A(3));
    EXPECT_EQ(m.chosen_quantity(), A(7));

    // Chosen again, it takes what is left, not its balance.
    m.toggle(1);
    EXPECT_EQ(m.row(1).out_quantity, A(3));
    // Out of range: nothing happens.
    EXPECT_FALSE(m.toggle(99).took_back);
    EXPECT_EQ(m.chosen_quantity(), A(10));

    std::vector<std::size_t> taken;
    m.clear_selection([&](std::size_t i, const AllocationModel::Toggle& t) {
        EXPECT_TRUE(t.took_back);
        taken.push_back(i);
    });
    EXPECT_EQ(taken, (std::vector<std::size_t>{0, 1, 2})) << "top to bottom";
    EXPECT_EQ(m.chosen_quantity(), Amount());
    EXPECT_EQ(m.remaining_quantity(), A(10));
    EXPECT_TRUE(m.chosen_positions().empty());
}

TEST(AllocationRules, PiecesAtAFixedRateAreTheQuantityOverTheRateUnrounded) {
    auto third = model_of(batch(), 1, 0, 3, {{5}});
    third.auto_match();
    EXPECT_EQ(third.row(0).out_pieces.millionths(), 333'333);
    EXPECT_EQ(third.remaining_pieces(), Amount()) << "pieces asked for nothing, so nothing is said to remain";
}

TEST(AllocationStockCount, EveryRowTakesItsBookAmountAndTheRequestStays) {
    AllocationMode count = batch();
    count.stock_count = true;
    for (double requested : {0.0, 1.0}) {
        auto m = model_of(count, requested, 0, 0, {{4}, {0}, {9}});
        m.auto_match();
        EXPECT_EQ(chosen(m), (std::vector<bool>{true, true, true}));
        EXPECT_EQ(out_quantities(m), (std::vector<double>{4, 0, 9}));
        EXPECT_EQ(m.remaining_quantity(), A(requested)) << "the count leaves the request as it was";
        EXPECT_EQ(m.chosen_quantity(), A(13));
        m.toggle(0);  // back, then chosen again with its book amount: the request never moves
        EXPECT_EQ(m.remaining_quantity(), A(requested));
        EXPECT_EQ(m.chosen_quantity(), A(9));
        m.toggle(0);
        EXPECT_EQ(m.row(0).out_quantity, A(4));
        EXPECT_EQ(m.remaining_quantity(), A(requested));
        m.clear_selection();
        EXPECT_EQ(m.remaining_quantity(), A(requested));
        EXPECT_EQ(m.chosen_quantity(), Amount());
    }
}

AllocationMode both() {
    AllocationMode mode = batch();
    mode.both_editable = true;
    return mode;
}

TEST(AllocationBothUnits, WithoutARatePiecesComeFromTheBalancePieces) {
    // The quantity is covered by the first row, the pieces are not: the
    // pass goes on for the pieces, and the next row gives pieces only.
    auto pieces_left = model_of(both(), 30, 5, 0, {{30, 3}, {50, 4}, {10, 1}});
    pieces_left.auto_match();
    EXPECT_EQ(out_quantities(pieces_left), (std::vector<double>{30, 0, 0}));
    EXPECT_EQ(out_pieces(pieces_left), (std::vector<double>{3, 2, 0}));
    EXPECT_EQ(chosen(pieces_left), (std::vector<bool>{true, true, false}));

    // Pieces the operator types count at once: taking the row back later
    // returns exactly them.
    pieces_left.set_out_pieces(1, A(1.5));
    EXPECT_EQ(pieces_left.remaining_pieces(), A(0.5));
    pieces_left.toggle(1);
    EXPECT_EQ(pieces_left.remaining_pieces(), A(2));
    EXPECT_EQ(pieces_left.chosen_pieces(), A(3));
}

// Pieces at a rate adding up to the request, and edits keeping them in step,
// are driven through the dialog (tests/selection/selection_dialog_test.cpp).
TEST(AllocationBothUnits, AtARateNeverMorePiecesThanAsked) {
    auto few = model_of(both(), 40, 2, 10, {{25}, {50}});
    few.auto_match();
    EXPECT_EQ(out_pieces(few), (std::vector<double>{2, 0}));
    EXPECT_EQ(few.remaining_pieces(), Amount());
}

TEST(AllocationEdits, TheColourIsCheckedAndAnAmountOnARowNotChosenIsNotCounted) {
    AllocationMode returns{.ref_type = 2, .red = true, .has_pieces = true};
    auto m = model_of(returns, -4, 0, 2, {{8}});
    EXPECT_EQ(m.refusal(A(1)), AllocationModel::Refusal::RedPositive);
    EXPECT_EQ(m.refusal(A(-1)), AllocationModel::Refusal::None);
    EXPECT_EQ(m.refusal(Amount()), AllocationModel::Refusal::None);
    auto blue = model_of(batch(), 5, 0, 0, {{4}});
    EXPECT_EQ(blue.refusal(A(-3)), AllocationModel::Refusal::BlueNegative);
    EXPECT_EQ(blue.refusal(A(3)), AllocationModel::Refusal::None);

    // An amount typed into a row that is not chosen is kept but not counted.
    blue.set_out_quantity(0, A(2));
    EXPECT_EQ(blue.chosen_quantity(), Amount());
    EXPECT_EQ(blue.remaining_quantity(), A(5));
}

// A request below what is allocated asks first: driven through the dialog's
// header; here a request and pieces changed before anything is allocated.
TEST(AllocationHeader, ANewRequestWithNothingAllocatedIsWhatRemains) {
    auto fresh = model_of(batch(), 10, 3, 0, {{6}});
    EXPECT_TRUE(fresh.change_quantity(A(7)).applied);
    EXPECT_EQ(fresh.remaining_quantity(), A(7)) << "nothing allocated: both take it";
    EXPECT_TRUE(fresh.change_pieces(A(2)).applied);
    EXPECT_EQ(fresh.pieces(), A(2));
    EXPECT_EQ(fresh.remaining_pieces(), A(2));
}

TEST(AllocationOutcome, NothingToChooseIsReportedForBatchesAndReceiptsOnly) {
    for (std::int32_t kind : {0, 1, 2, 3}) {
        AllocationModel m;
        m.set_mode(AllocationMode{.ref_type = kind});
        m.set_quantity(A(5));
        m.reset_remaining();
        m.auto_match();
        EXPECT_EQ(m.outcome(),
                  kind <= 1 ? AllocationModel::Outcome::NoCandidates : AllocationModel::Outcome::Allocated)
            << kind;
    }
    // A return short of its request reports nothing either.
    auto returns = model_of(AllocationMode{.ref_type = 2}, 10, 0, 0, {{4}});
    returns.auto_match();
    EXPECT_EQ(returns.outcome(), AllocationModel::Outcome::Allocated);
}

// The trace's sum rule on random allocations: whatever the balances, the
// mode and the colour, the rows' taken amounts are exactly what the pass
// chose, every row has one reason, and a passed-over row took nothing.
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
