// AllocationTrace: why an automatic pass took what it took. One row per
// candidate, in the order the rule put them, each taken (with its amounts and
// why it stopped there) or passed over, always with exactly one reason.
//
// It is read off the AllocationModel after its pass, so a pass that nobody
// asks to explain costs nothing. The rows' taken amounts are the model's own
// numbers, so they add up to the chosen rows' out columns exactly. The same
// inputs give the same text and JSON, byte for byte.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "selection/allocation.h"

namespace korvane::selection {

enum class TraceReason {
    // taken
    RequestCovered,   // the row had more than the line still needed
    RowExhausted,     // the row gave all it held
    SingleSelection,  // one row only: the pass stopped after it
    StockCount,       // a count takes every row's book amount
    // passed over
    Hidden,           // the show boxes leave it out
    NoBalance,        // nothing (or less than nothing) to give
    TakenEarlier,     // an earlier line of the run took what it held
    ExcludedBySingle, // one row only, and another came first
    NotReached,       // the line was covered before the pass got here
};

// The clerk's words for a reason.
const char* reason_text(TraceReason r);
// The key a host stores it under.
const char* reason_key(TraceReason r);
bool is_taken(TraceReason r);

struct TraceRow {
    long position = 0;              // the record's place in the rule's order (1-based)
    Amount balance_quantity, balance_pieces;  // what the row offered this line
    Amount earlier_quantity;        // what earlier lines of the run took from it
    Amount quantity, pieces;        // what this line took (zero when passed over)
    TraceReason reason = TraceReason::NotReached;
    bool taken() const { return is_taken(reason); }
};

struct AllocationTrace {
    std::int32_t ref_type = 0;
    std::string rule;  // the option's value; empty when the kind has none
    std::string sort;  // the record-set sort it gave; empty for none
    Amount quantity, pieces, rate;
    bool red = false, multi_select = true, stock_count = false;
    Amount remaining_quantity;  // what the pass left unallocated
    std::vector<std::string> key_names;
    std::vector<TraceRow> rows;
    // The row's identifying columns as text, read when printed, so a trace
    // nobody prints never formats 100,000 dates.
    std::function<std::vector<std::string>(const TraceRow&)> key_texts;
    std::vector<std::string> keys(const TraceRow& r) const { return key_texts ? key_texts(r) : std::vector<std::string>(); }

    Amount taken_quantity() const;
    Amount taken_pieces() const;
    // A table for people, aligned for CJK, one line per row.
    std::string table() const;
    // One JSON object; amounts as exact decimal numbers.
    std::string json() const;
};

// What the caller knows about a candidate beyond the model: its key texts
// (by the record's position) and what earlier lines of the run took from it.
struct TraceSource {
    std::vector<std::string> key_names;
    std::function<std::vector<std::string>(const TraceRow&)> keys;
    std::function<Amount(const Candidate&)> earlier;
};

// The trace of the model's last automatic pass.
AllocationTrace trace_of(const AllocationModel& model, const TraceSource& source = {});

// An amount as exact decimal text: "-12.5", "3", "0.000001".
std::string decimal_text(Amount a);

}  // namespace korvane::selection
