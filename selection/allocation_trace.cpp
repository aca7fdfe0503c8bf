#include "selection/allocation_trace.h"

#include <cstdio>

#include "platform/vb/convert.h"

namespace korvane::selection {

namespace {

struct ReasonInfo {
    TraceReason reason;
    const char* key;
    const char* text;
};
constexpr ReasonInfo kReasons[] = {
    {TraceReason::RequestCovered, "request_covered", "本行数量已足"},
    {TraceReason::RowExhausted, "row_exhausted", "该行结存已取完"},
    {TraceReason::SingleSelection, "single_selection", "只能选一行"},
    {TraceReason::StockCount, "stock_count", "盘点取账面数"},
    {TraceReason::Hidden, "hidden", "显示选项未显示"},
    {TraceReason::NoBalance, "no_balance", "结存为零或负数"},
    {TraceReason::TakenEarlier, "taken_earlier", "已被本次前面的行分配"},
    {TraceReason::ExcludedBySingle, "excluded_single", "只能选一行，已选前一行"},
    {TraceReason::NotReached, "not_reached", "本行数量已分配完，未用到"},
};

const ReasonInfo& info(TraceReason r) {
    for (const ReasonInfo& i : kReasons)
        if (i.reason == r) return i;
    return kReasons[0];
}

std::string pad(const std::string& s, int width) {
    const int w = vb::display_width(s);
    return s + std::string(w < width ? static_cast<std::size_t>(width - w) : 1, ' ');
}

std::string json_string(const std::string& s) {
    std::string out = "\"";
    for (unsigned char ch : s) {
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (ch < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", ch);
                out += buf;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + "\"";
}

TraceReason reason_for(const AllocationModel& model, const Candidate& c, Amount earlier) {
    const AllocationMode& mode = model.mode();
    const bool exhausted_earlier = c.balance_quantity.sign() <= 0 && earlier.sign() > 0;
    if (c.chosen && (!c.out_quantity.is_zero() || !c.out_pieces.is_zero())) {
        if (mode.stock_count) return TraceReason::StockCount;
        if (!mode.multi_select) return TraceReason::SingleSelection;
        return c.out_quantity.abs() < c.balance_quantity.abs() ? TraceReason::RequestCovered
                                                                 : TraceReason::RowExhausted;
    }
    // chosen with nothing to give, or left out by the boxes
    if (c.chosen || c.hidden) {
        if (exhausted_earlier) return TraceReason::TakenEarlier;
        if (c.balance_quantity.sign() <= 0) return TraceReason::NoBalance;
        return c.chosen ? TraceReason::NotReached : TraceReason::Hidden;
    }
    return mode.multi_select ? TraceReason::NotReached : TraceReason::ExcludedBySingle;
}

}  // namespace

const char* reason_text(TraceReason r) { return info(r).text; }
const char* reason_key(TraceReason r) { return info(r).key; }
bool is_taken(TraceReason r) { return r <= TraceReason::StockCount; }

std::string decimal_text(Amount a) {
    std::int64_t m = a.millionths();
    const bool negative = m < 0;
    // magnitudes as unsigned, so the most negative amount prints too
    std::uint64_t u = negative ? 0 - static_cast<std::uint64_t>(m) : static_cast<std::uint64_t>(m);
    const auto scale = static_cast<std::uint64_t>(Amount::kScale);
    std::string out = (negative ? "-" : "") + std::to_string(u / scale);
    std::uint64_t frac = u % scale;
    if (frac != 0) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%06llu", static_cast<unsigned long long>(frac));
        std::string digits(buf);
        while (digits.back() == '0') digits.pop_back();
        out += "." + digits;
    }
    return out;
}

AllocationTrace trace_of(const AllocationModel& model, const TraceSource& source) {
    AllocationTrace t;
    const AllocationMode& mode = model.mode();
    t.ref_type = mode.ref_type;
    t.quantity = model.quantity();
    t.pieces = model.pieces();
    t.rate = model.rate();
    t.red = mode.red;
    t.multi_select = mode.multi_select;
    t.stock_count = mode.stock_count;
    t.remaining_quantity = model.remaining_quantity();
    t.key_names = source.key_names;
    t.key_texts = source.keys;
    t.rows.reserve(model.size());
    for (std::size_t i = 0; i < model.size(); ++i) {
        const Candidate& c = model.row(i);
        TraceRow& r = t.rows.emplace_back();
        r.position = c.position;
        r.balance_quantity = c.balance_quantity;
        r.balance_pieces = c.balance_pieces;
        if (source.earlier) r.earlier_quantity = source.earlier(c);
        r.reason = reason_for(model, c, r.earlier_quantity);
        // a chosen row with nothing in it still adds its zero to the sum
        if (c.chosen) {
            r.quantity = c.out_quantity;
            r.pieces = c.out_pieces;
        }
    }
    return t;
}

Amount AllocationTrace::taken_quantity() const {
    Amount s;
    for (const TraceRow& r : rows) s += r.quantity;
    return s;
}

Amount AllocationTrace::taken_pieces() const {
    Amount s;
    for (const TraceRow& r : rows) s += r.pieces;
    return s;
}

std::string AllocationTrace::table() const {
    std::string out = "分配规则: ";
    out += rule.empty() ? "按记录顺序" : rule;
    out += sort.empty() ? "  (不排序)" : "  (排序: " + sort + ")";
    out += "\n申请数量 " + decimal_text(quantity) + "  件数 " + decimal_text(pieces) + "  换算率 " +
           decimal_text(rate) + (red ? "  红字" : "") + (multi_select ? "" : "  单选") + "\n";
    std::vector<std::pair<std::string, int>> cols = {{"序号", 6}};
    for (const std::string& k : key_names) cols.emplace_back(k, std::max(vb::display_width(k) + 2, 12));
    for (const char* c : {"结存数量", "前行已分配", "分配数量", "分配件数"}) cols.emplace_back(c, 12);
    cols.emplace_back("结果", 6);
    cols.emplace_back("原因", 0);
    for (const auto& [name, width] : cols) out += width ? pad(name, width) : name;
    out += "\n";
    for (const TraceRow& r : rows) {
        std::size_t k = 0;
        const std::vector<std::string> row_keys = keys(r);
        out += pad(std::to_string(r.position), cols[k++].second);
        for (std::size_t j = 0; j < key_names.size(); ++j)
            out += pad(j < row_keys.size() ? row_keys[j] : "", cols[k++].second);
        out += pad(decimal_text(r.balance_quantity), cols[k++].second);
        out += pad(r.earlier_quantity.is_zero() ? "-" : decimal_text(r.earlier_quantity), cols[k++].second);
        out += pad(r.taken() ? decimal_text(r.quantity) : "-", cols[k++].second);
        out += pad(r.taken() ? decimal_text(r.pieces) : "-", cols[k++].second);
        out += pad(r.taken() ? "分配" : "跳过", cols[k++].second);
        out += reason_text(r.reason);
        out += "\n";
    }
    out += "合计分配数量 " + decimal_text(taken_quantity()) + "  件数 " + decimal_text(taken_pieces()) +
           "  未分配 " + decimal_text(remaining_quantity) + "\n";
    return out;
}

std::string AllocationTrace::json() const {
    std::string out = "{\"ref_type\":" + std::to_string(ref_type) + ",\"rule\":" + json_string(rule) +
                      ",\"sort\":" + json_string(sort) + ",\"quantity\":" + decimal_text(quantity) +
                      ",\"pieces\":" + decimal_text(pieces) + ",\"rate\":" + decimal_text(rate) +
                      ",\"red\":" + (red ? "true" : "false") + ",\"multi_select\":" +
                      (multi_select ? "true" : "false") + ",\"stock_count\":" + (stock_count ? "true" : "false") +
                      ",\"taken_quantity\":" + decimal_text(taken_quantity()) +
                      ",\"taken_pieces\":" + decimal_text(taken_pieces()) +
                      ",\"remaining_quantity\":" + decimal_text(remaining_quantity) + ",\"key_names\":[";
    for (std::size_t j = 0; j < key_names.size(); ++j) out += (j ? "," : "") + json_string(key_names[j]);
    out += "],\"rows\":[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TraceRow& r = rows[i];
        out += i ? ",{" : "{";
        out += "\"position\":" + std::to_string(r.position) + ",\"keys\":[";
        const std::vector<std::string> row_keys = keys(r);
        for (std::size_t j = 0; j < row_keys.size(); ++j) out += (j ? "," : "") + json_string(row_keys[j]);
        out += "],\"balance_quantity\":" + decimal_text(r.balance_quantity) +
               ",\"balance_pieces\":" + decimal_text(r.balance_pieces) +
               ",\"earlier_quantity\":" + decimal_text(r.earlier_quantity) +
               ",\"taken\":" + (r.taken() ? "true" : "false") + ",\"quantity\":" + decimal_text(r.quantity) +
               ",\"pieces\":" + decimal_text(r.pieces) + ",\"reason\":" + json_string(reason_key(r.reason)) +
               ",\"reason_text\":" + json_string(reason_text(r.reason)) + "}";
    }
    return out + "]}";
}

}  // namespace korvane::selection
