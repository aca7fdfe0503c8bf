#include "selection/allocation.h"

#include <cmath>
#include <cstdint>

#include "selection/texts.h"

namespace korvane::selection {

namespace {

// a * b / d to the nearest integer, half away from zero.
std::int64_t scaled(std::int64_t a, std::int64_t b, std::int64_t d) {
    __int128 n = static_cast<__int128>(a) * b;
    const bool negative = (n < 0) != (d < 0);
    if (n < 0) n = -n;
    if (d < 0) d = -d;
    __int128 q = (n + d / 2) / d;
    return static_cast<std::int64_t>(negative ? -q : q);
}

// An amount "remains" when it lies on the requested side of zero.
bool remains(Amount left, Amount requested) { return requested.sign() >= 0 ? left.sign() > 0 : left.sign() < 0; }

struct SortRule {
    std::int32_t ref_type;
    const char* rule;
    const char* sort;
};
constexpr SortRule kSortRules[] = {
    {0, texts::kRuleBatchFifo, texts::kSortBatch},
    {0, texts::kRuleNearestExpiry, texts::kSortExpiry},
    {1, texts::kRuleFifo, texts::kSortFifo},
    {1, texts::kRuleLifo, texts::kSortLifo},
};

}  // namespace

Amount Amount::of(double v) {
    const double m = v * static_cast<double>(kScale);
    // Past what millionths can count the amount saturates; NaN is nothing.
    if (!(std::fabs(m) < 9.2e18)) return millionths(m > 0 ? INT64_MAX : (m < 0 ? -INT64_MAX : 0));
    return millionths(std::llround(m));
}

Amount operator*(Amount a, Amount b) { return Amount::millionths(scaled(a.m_, b.m_, Amount::kScale)); }

Amount operator/(Amount a, Amount b) {
    if (b.m_ == 0) return Amount();
    return Amount::millionths(scaled(a.m_, Amount::kScale, b.m_));
}

std::string_view AllocationModel::sort_for(std::int32_t ref_type, std::string_view rule) {
    for (const SortRule& r : kSortRules)
        if (r.ref_type == ref_type && rule == r.rule) return r.sort;
    return {};
}

bool AllocationModel::shown(Amount balance, const ShowBoxes& boxes) {
    const int s = balance.sign();
    return (s > 0 && boxes.positive) || (s == 0 && boxes.zero) || (s < 0 && boxes.negative);
}

void AllocationModel::reset_remaining() {
    remaining_q_ = quantity_;
    remaining_n_ = pieces_;
}

AllocationModel::Change AllocationModel::change_quantity(Amount q) {
    Change c;
    if (q == quantity_) return c;
    c.allocated = (quantity_ - remaining_q_).abs();
    if (c.allocated.is_zero()) {
        quantity_ = remaining_q_ = q;
    } else if (c.allocated <= q.abs()) {
        remaining_q_ += q - quantity_;
        quantity_ = q;
    } else {
        c.applied = false;
    }
    return c;
}

AllocationModel::Change AllocationModel::change_pieces(Amount n) {
    Change c;
    if (n == pieces_) return c;
    c.allocated = (pieces_ - remaining_n_).abs();
    if (c.allocated.is_zero()) {
        pieces_ = remaining_n_ = n;
    } else if (c.allocated <= n.abs()) {
        remaining_n_ += n - pieces_;
        pieces_ = n;
    } else {
        c.applied = false;
    }
    return c;
}

void AllocationModel::load(std::vector<Candidate> rows) {
    rows_ = std::move(rows);
    shown_.clear();
    shown_.reserve(rows_.size());
    sum_q_ = sum_n_ = Amount();
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].chosen = false;
        if (!rows_[i].hidden) shown_.push_back(i);
    }
}

void AllocationModel::choose(Candidate& c, bool on) {
    if (c.chosen == on) return;
    c.chosen = on;
    const int s = on ? 1 : -1;
    sum_q_ += c.out_quantity * s;
    sum_n_ += c.out_pieces * s;
}

void AllocationModel::put_quantity(Candidate& c, Amount q) {
    if (c.chosen) sum_q_ += q - c.out_quantity;
    c.out_quantity = q;
}

void AllocationModel::put_pieces(Candidate& c, Amount n) {
    if (c.chosen) sum_n_ += n - c.out_pieces;
    c.out_pieces = n;
}

Amount AllocationModel::clamp_to_request(Amount left, Amount requested) const {
    // over-allocated: nothing is left, rather than a debt of the other sign
    return left.sign() * requested.sign() < 0 ? Amount() : left;
}

void AllocationModel::settle() {
    if (!mode_.stock_count) remaining_q_ = clamp_to_request(quantity_ - sum_q_, quantity_);
    if (mode_.both_editable) remaining_n_ = clamp_to_request(pieces_ - sum_n_, pieces_);
}

void AllocationModel::derive_pieces(Candidate& c) {
    if (rate_.is_zero()) return;
    Amount n = c.out_quantity / rate_;
    if (mode_.both_editable && !pieces_.is_zero() && c.chosen && !mode_.stock_count) {
        const Amount left = clamp_to_request(pieces_ - (sum_n_ - c.out_pieces), pieces_);
        const bool completes = !quantity_.is_zero() && sum_q_ == quantity_;
        if (completes || n.abs() > left.abs()) n = left;
    }
    put_pieces(c, n);
    if (mode_.both_editable) remaining_n_ = clamp_to_request(pieces_ - sum_n_, pieces_);
}

AllocationModel::Toggle AllocationModel::toggle(std::size_t i) {
    Toggle t;
    if (i >= rows_.size()) return t;
    settle();
    Candidate& c = rows_[i];
    const bool pieces_apart = mode_.both_editable && mode_.has_pieces;
    if (c.chosen) {
        t.took_back = true;
        // A count never took from the request, so it gives nothing back.
        if (!mode_.stock_count) remaining_q_ += c.out_quantity;
        if (pieces_apart) {
            remaining_n_ += c.out_pieces;
            put_pieces(c, Amount());
        }
        put_quantity(c, Amount());
        choose(c, false);
    } else {
        choose(c, true);
        const int s = remaining_q_.sign() >= 0 ? 1 : -1;
        if (mode_.stock_count) {
            put_quantity(c, c.balance_quantity * s);
            t.quantity_set = true;
        } else {
            if (!remaining_q_.is_zero()) {
                const Amount b = c.balance_quantity.abs();
                if (b <= remaining_q_.abs()) {
                    put_quantity(c, b * s);
                    remaining_q_ -= b * s;
                } else {
                    put_quantity(c, remaining_q_);
                    remaining_q_ = Amount();
                }
                t.quantity_set = true;
            }
            if (pieces_apart && !rate_.is_zero()) {
                // The pieces follow the quantity just taken, so they agree
                // with what the rate makes of it.
                derive_pieces(c);
                t.pieces_set = true;
            } else if (pieces_apart && !remaining_n_.is_zero()) {
                const Amount b = c.balance_pieces.abs();
                if (b <= remaining_n_.abs()) {
                    put_pieces(c, b * s);
                    remaining_n_ -= b * s;
                } else {
                    put_pieces(c, remaining_n_);
                    remaining_n_ = Amount();
                }
                t.pieces_set = true;
            }
        }
    }
    // The pieces the cell check derives from the out quantity.
    derive_pieces(c);
    return t;
}

void AllocationModel::clear_selection(const Toggled& taken) {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].chosen) {
            const Toggle t = toggle(i);
            if (taken) taken(i, t);
        }
}

void AllocationModel::auto_match(const Toggled& toggled) {
    for (std::size_t i : shown_) {
        const Toggle t = toggle(i);
        if (toggled) toggled(i, t);
        if (!mode_.multi_select) break;
        // a count takes every row, whatever the request
        if (mode_.stock_count) continue;
        const bool q_left = remains(remaining_q_, quantity_);
        if (mode_.both_editable ? !q_left && !remains(remaining_n_, pieces_) : !q_left) break;
    }
}

AllocationModel::Outcome AllocationModel::outcome() const {
    const bool reported = mode_.ref_type == 0 || mode_.ref_type == 1;
    if (rows_.empty()) return reported ? Outcome::NoCandidates : Outcome::Allocated;
    if (reported && remaining_q_.sign() > 0) return Outcome::NotAllAllocated;
    return Outcome::Allocated;
}

void AllocationModel::set_out_quantity(std::size_t i, Amount q) {
    Candidate& c = rows_.at(i);
    put_quantity(c, q);
    derive_pieces(c);
    settle();
}

void AllocationModel::set_out_pieces(std::size_t i, Amount n) {
    Candidate& c = rows_.at(i);
    put_pieces(c, n);
    if (mode_.ref_type == 2) put_quantity(c, n * rate_);
    settle();
}

AllocationModel::Refusal AllocationModel::refusal(Amount v) const {
    if (mode_.red && v.sign() > 0) return Refusal::RedPositive;
    if (!mode_.red && v.sign() < 0) return Refusal::BlueNegative;
    return Refusal::None;
}

std::vector<long> AllocationModel::chosen_positions() const {
    std::vector<long> out;
    for (const Candidate& c : rows_)
        if (c.chosen) out.push_back(c.position);
    return out;
}

}  // namespace korvane::selection
