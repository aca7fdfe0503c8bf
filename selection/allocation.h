// AllocationModel: how one voucher line's quantity and pieces are spread over
// its candidate stock rows, with no grid and no record set. The selection
// dialog hands it typed rows (balances, the record's position), asks it to
// choose, take back or re-amount rows, and paints what it decided.
//
// Amounts are exact: whole millionths (the scratch tables keep six decimals
// too), so a sum over 200,000 rows is exact and a row taken back returns
// exactly what it took. Text appears only where the dialog paints a cell.
//
// Rows keep the record set's order; `shown()` lists those the show boxes let
// through, the only ones an automatic pass or a click can reach. Costs: load
// O(n), toggle and every edit O(1), auto_match O(rows it walks).
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace korvane::selection {

// An exact amount in millionths.
class Amount {
public:
    static constexpr std::int64_t kScale = 1'000'000;

    constexpr Amount() = default;
    static constexpr Amount millionths(std::int64_t m) {
        Amount a;
        a.m_ = m;
        return a;
    }
    static constexpr Amount whole(std::int64_t n) { return millionths(n * kScale); }
    // The nearest millionth of a double (half away from zero).
    static Amount of(double v);

    constexpr std::int64_t millionths() const { return m_; }
    double value() const { return static_cast<double>(m_) / kScale; }
    constexpr bool is_zero() const { return m_ == 0; }
    constexpr int sign() const { return m_ > 0 ? 1 : (m_ < 0 ? -1 : 0); }
    constexpr Amount abs() const { return millionths(m_ < 0 ? -m_ : m_); }

    constexpr Amount operator-() const { return millionths(-m_); }
    constexpr Amount& operator+=(Amount b) { m_ += b.m_; return *this; }
    constexpr Amount& operator-=(Amount b) { m_ -= b.m_; return *this; }
    friend constexpr Amount operator+(Amount a, Amount b) { return a += b; }
    friend constexpr Amount operator-(Amount a, Amount b) { return a -= b; }
    friend constexpr Amount operator*(Amount a, int s) { return millionths(a.m_ * s); }
    // Product and quotient to the nearest millionth, half away from zero;
    // a quotient by zero is zero (no rate: no conversion).
    friend Amount operator*(Amount a, Amount b);
    friend Amount operator/(Amount a, Amount b);
    friend constexpr bool operator==(Amount, Amount) = default;
    friend constexpr auto operator<=>(Amount, Amount) = default;

private:
    std::int64_t m_ = 0;
};

// One candidate stock row as the record set holds it.
struct Candidate {
    Amount balance_quantity, balance_pieces;
    Amount out_quantity, out_pieces;  // what the row gives; kept while not chosen too
    bool chosen = false;
    bool hidden = false;   // left out by the show boxes: never reached
    long position = 0;     // the record's AbsolutePosition in the candidate set
};

// How the dialog was opened; fixed by its load step.
struct AllocationMode {
    std::int32_t ref_type = 0;
    bool stock_count = false;    // a count takes every row's book amount
    bool multi_select = true;    // more than one row may be chosen
    bool red = false;            // the voucher takes negative amounts
    bool both_editable = false;  // pieces are allocated on their own
    bool has_pieces = false;     // the line has an out-pieces column
};

class AllocationModel {
public:
    // Which balances the show boxes let through.
    struct ShowBoxes {
        bool positive = true, zero = false, negative = false;
    };
    // The cells a toggle wrote, so the view repaints what the dialog's own
    // procedure would have written and no more.
    struct Toggle {
        bool took_back = false;
        bool quantity_set = false;  // the out quantity was (re)allocated
        bool pieces_set = false;    // the out pieces were allocated by the pieces rule
    };
    // A new requested amount from the header: applied, or refused because
    // more than it is allocated already (`allocated` then says how much).
    struct Change {
        bool applied = true;
        Amount allocated;
    };
    enum class Refusal { None, RedPositive, BlueNegative };
    enum class Outcome { Allocated, NoCandidates, NotAllAllocated };

    // The record-set sort an allocation rule asks for; empty for none (the
    // manual rule, a rule of another kind, RefType 2 and others).
    static std::string_view sort_for(std::int32_t ref_type, std::string_view rule);
    static bool shown(Amount balance, const ShowBoxes& boxes);

    void set_mode(const AllocationMode& mode) { mode_ = mode; }
    const AllocationMode& mode() const { return mode_; }

    // The line's request and rate. Setting them leaves what remains alone.
    Amount quantity() const { return quantity_; }
    Amount pieces() const { return pieces_; }
    Amount rate() const { return rate_; }
    void set_quantity(Amount q) { quantity_ = q; }
    void set_pieces(Amount n) { pieces_ = n; }
    void set_rate(Amount r) { rate_ = r; }
    Amount remaining_quantity() const { return remaining_q_; }
    Amount remaining_pieces() const { return remaining_n_; }
    void set_remaining_quantity(Amount q) { remaining_q_ = q; }
    void set_remaining_pieces(Amount n) { remaining_n_ = n; }
    // What remains becomes the whole request (the start of an automatic pass).
    void reset_remaining();
    // A header edit of the requested quantity or pieces: what remains moves
    // with it unless more than the new amount is allocated already.
    Change change_quantity(Amount q);
    Change change_pieces(Amount n);

    // Sums of the chosen rows' amounts.
    Amount chosen_quantity() const { return sum_q_; }
    Amount chosen_pieces() const { return sum_n_; }

    // Takes the rows of a new fill, none chosen; hidden ones stay out of
    // shown(). What remains is left as it was.
    void load(std::vector<Candidate> rows);
    void clear() { load({}); }
    std::size_t size() const { return rows_.size(); }
    const Candidate& row(std::size_t i) const { return rows_.at(i); }
    const std::vector<std::size_t>& shown() const { return shown_; }

    // Chooses row i or takes it back.
    Toggle toggle(std::size_t i);
    using Toggled = std::function<void(std::size_t row, const Toggle& what)>;
    // Takes back every chosen row, top to bottom; `taken` hears each.
    void clear_selection(const Toggled& taken = {});
    // The automatic pass over the shown rows in order (remaining as set by
    // reset_remaining); `toggled` hears each row as it is chosen.
    void auto_match(const Toggled& toggled = {});
    // What an automatic pass reports: no candidates at all, or a positive
    // quantity left (tracking and batch allocation only).
    Outcome outcome() const;

    // The operator's cell edits. A new out quantity brings its pieces along
    // when there is a rate; new pieces bring the quantity along on a return.
    void set_out_quantity(std::size_t i, Amount q);
    void set_out_pieces(std::size_t i, Amount n);
    // Whether an amount has the wrong sign for the voucher.
    Refusal refusal(Amount v) const;

    // The chosen rows' record positions, in row order.
    std::vector<long> chosen_positions() const;

private:
    void choose(Candidate& c, bool on);
    void put_quantity(Candidate& c, Amount q);
    void put_pieces(Candidate& c, Amount n);
    // The pieces of a row's out quantity at the rate. With pieces allocated
    // on their own, a chosen row never takes more pieces than remain, and the
    // row that completes the quantity takes the rest, so the rows' pieces add
    // up to the request however the division rounds.
    void derive_pieces(Candidate& c);
    // What remains, from the sums (the count's request never moves).
    void settle();
    Amount clamp_to_request(Amount left, Amount requested) const;

    AllocationMode mode_;
    Amount quantity_, pieces_, rate_;
    Amount remaining_q_, remaining_n_;
    Amount sum_q_, sum_n_;
    std::vector<Candidate> rows_;
    std::vector<std::size_t> shown_;
};

}  // namespace korvane::selection
