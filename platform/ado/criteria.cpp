#include "platform/ado/criteria.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>

#include <fmt/format.h>

#include "platform/ado/types.h"
#include "platform/vb/ascii.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado::detail {

namespace {

// ---------------------------------------------------------------- text helpers

// Lower-casing only ASCII, as SQLite's NOCASE does.
inline unsigned char fold(char c) noexcept { return static_cast<unsigned char>(vb::lower_ascii(c)); }

// Sorting spends most of its time here: equal bytes are skipped eight at a
// time and only differing bytes are folded.
int compare_text(std::string_view a, std::string_view b) noexcept {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a.data() + i, 8);
        std::memcpy(&y, b.data() + i, 8);
        if (x != y) break;
    }
    for (; i < n; ++i) {
        if (a[i] == b[i]) continue;
        unsigned char x = fold(a[i]), y = fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// b is already folded.
bool equal_folded(const char* a, const char* b, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i)
        if (fold(a[i]) != static_cast<unsigned char>(b[i])) return false;
    return true;
}

bool equal_text(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view trim(std::string_view s) noexcept {
    while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
    return s;
}

// A plain decimal number with optional sign, fraction and exponent; no
// "inf"/"nan", no separators.
std::optional<double> numeric_text(std::string_view s) noexcept {
    s = trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    std::size_t i = !s.empty() && s.front() == '-' ? 1 : 0;
    if (i >= s.size() || !((s[i] >= '0' && s[i] <= '9') || s[i] == '.')) return std::nullopt;
    double d = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return d;
}

// As numeric_text, but whole numbers that fit stay exact 64-bit integers.
std::optional<Variant> number_value(std::string_view s) noexcept {
    std::string_view t = trim(s);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    long long i = 0;
    auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), i);
    if (!t.empty() && ec == std::errc() && p == t.data() + t.size()) return Variant(i);
    auto d = numeric_text(s);
    if (!d) return std::nullopt;
    return Variant(*d);
}

// Character position for messages: 1-based, counting UTF-8 code points.
std::size_t char_position(std::string_view text, std::size_t byte) noexcept {
    std::size_t n = 1;
    for (std::size_t i = 0; i < byte && i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++n;
    return n;
}

// ---------------------------------------------------------------- numbers

bool integer_kind(VarType t) noexcept {
    switch (t) {
    case VarType::Boolean: case VarType::Integer: case VarType::Long: case VarType::LongLong:
    case VarType::Byte: case VarType::Error:
        return true;
    default:
        return false;
    }
}

bool double_kind(VarType t) noexcept {
    return t == VarType::Single || t == VarType::Double || t == VarType::Decimal || t == VarType::Date;
}

// 0 Null/Empty, 1 number, 2 text, 3 object.
int rank(const Variant& v) noexcept {
    switch (v.type()) {
    case VarType::Empty: case VarType::Null: return 0;
    case VarType::String: return 2;
    case VarType::Object: return 3;
    default: return 1;
    }
}

template <class T>
int three_way(T x, T y) noexcept { return x < y ? -1 : (x > y ? 1 : 0); }

// NaN sorts below every other number so the order stays a strict weak one.
int compare_doubles(double x, double y) noexcept {
    bool xn = std::isnan(x), yn = std::isnan(y);
    if (xn || yn) return xn == yn ? 0 : (xn ? -1 : 1);
    return three_way(x, y);
}

int compare_numbers(const Variant& a, const Variant& b) noexcept {
    VarType ta = a.type(), tb = b.type();
    if (integer_kind(ta) && integer_kind(tb)) return three_way(a.int_value(), b.int_value());
    // Currency is exact in ten-thousandths; keep it exact against whole numbers too.
    if (ta == VarType::Currency && tb == VarType::Currency) return three_way(a.int_value(), b.int_value());
    if (ta == VarType::Currency && integer_kind(tb))
        return three_way<__int128>(a.int_value(), static_cast<__int128>(b.int_value()) * 10000);
    if (integer_kind(ta) && tb == VarType::Currency)
        return three_way<__int128>(static_cast<__int128>(a.int_value()) * 10000, b.int_value());
    return compare_doubles(a.number(), b.number());
}

bool keyword_is(std::string_view word, std::string_view lower) noexcept {
    if (word.size() != lower.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (fold(word[i]) != static_cast<unsigned char>(lower[i])) return false;
    return true;
}

bool name_char(char ch) noexcept {
    auto c = static_cast<unsigned char>(ch);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '$' || c == '@' || c >= 0x80;
}

bool digit(char c) noexcept { return c >= '0' && c <= '9'; }

std::string not_found(std::string_view what, std::string_view field) {
    return fmt::format("{} ({}: no field '{}')", err::standard_text(err::kItemNotFound), what, field);
}

}  // namespace

// ---------------------------------------------------------------- value order

int compare_values(const Variant& a, const Variant& b) noexcept {
    int ra = rank(a), rb = rank(b);
    if (ra == rb) {
        switch (ra) {
        case 0: return 0;
        case 1: return compare_numbers(a, b);
        case 2: return compare_text(a.str(), b.str());
        default: {
            const Object* x = a.object().get();
            const Object* y = b.object().get();
            return std::less<const Object*>()(x, y) ? -1 : (std::less<const Object*>()(y, x) ? 1 : 0);
        }
        }
    }
    if (ra == 1 && rb == 2) {
        auto d = numeric_text(b.str());
        return d ? compare_doubles(a.number(), *d) : -1;
    }
    if (ra == 2 && rb == 1) {
        auto d = numeric_text(a.str());
        return d ? compare_doubles(*d, b.number()) : 1;
    }
    return ra < rb ? -1 : 1;
}

// Every number a Variant holds, exactly: int64 and double fit a 64-bit
// mantissa, and Currency / 10000 stays strictly increasing in it.
static_assert(std::numeric_limits<long double>::digits >= 64, "sort keys need a 64-bit mantissa");

namespace {

long double number_key(const Variant& v) noexcept {
    switch (v.type()) {
    case VarType::Currency: return static_cast<long double>(v.int_value()) / 10000.0L;
    case VarType::Single: case VarType::Double: case VarType::Decimal: case VarType::Date:
        return v.double_value();
    default: return static_cast<long double>(v.int_value());
    }
}

}  // namespace

int sort_order(const Variant& a, const Variant& b) noexcept {
    int ra = rank(a), rb = rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    if (ra != 1) return compare_values(a, b);
    // same-kind pairs, the usual case of a typed column, need no wider number
    const VarType ta = a.type(), tb = b.type();
    if ((integer_kind(ta) && integer_kind(tb)) || (ta == VarType::Currency && tb == VarType::Currency))
        return three_way(a.int_value(), b.int_value());
    if (double_kind(ta) && double_kind(tb)) return compare_doubles(a.double_value(), b.double_value());
    const long double x = number_key(a), y = number_key(b);
    bool xn = std::isnan(x), yn = std::isnan(y);
    if (xn || yn) return xn == yn ? 0 : (xn ? -1 : 1);
    return three_way(x, y);
}

// ---------------------------------------------------------------- evaluation

bool Criteria::eval(std::uint32_t index, const Variant* row) const {
    const Node& n = nodes_[index];
    switch (n.op) {
    case Op::And:
        for (std::uint32_t i = 0; i < n.count; ++i)
            if (!eval(kids_[n.first + i], row)) return false;
        return true;
    case Op::Or:
        for (std::uint32_t i = 0; i < n.count; ++i)
            if (eval(kids_[n.first + i], row)) return true;
        return false;
    default:
        break;
    }
    const Variant& v = row[n.column];
    bool missing = v.is_null() || v.is_empty();
    switch (n.op) {
    case Op::IsNull: return missing;
    case Op::NotNull: return !missing;
    default: break;
    }
    if (missing) return false;
    if (n.op == Op::Like) return like(patterns_[n.first], v);
    if ((n.op == Op::Eq || n.op == Op::Ne) && v.is_string() && n.literal.is_string())
        return equal_text(v.str(), n.literal.str()) == (n.op == Op::Eq);
    int c = compare_values(v, n.literal);
    switch (n.op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    default: return false;
    }
}

// The pieces between wildcards must appear in order; taking the leftmost
// occurrence of each is enough when the only wildcard is "any run". A number
// or a date is matched on the text CStr gives it, so a date VB cannot show
// raises 6 here, as CStr would.
bool Criteria::like(const Pattern& p, const Variant& v) const {
    vb::TextBuffer buf;
    std::string_view t = v.is_string() ? v.str() : vb::scalar_text(v, buf);
    if (!v.is_string() && t.empty()) return false;
    std::size_t lo = 0, hi = t.size();
    std::size_t first = 0, last = p.pieces.size();
    auto piece = [&p](std::size_t i) { return std::string_view(p.folded).substr(p.pieces[i].first, p.pieces[i].second); };
    if (p.anchored_start && first < last) {
        auto s = piece(first++);
        if (s.size() > hi || !equal_folded(t.data(), s.data(), s.size())) return false;
        lo = s.size();
    }
    if (p.anchored_end) {
        if (first == last) return p.anchored_start ? lo == hi : true;
        auto s = piece(--last);
        if (s.size() > hi - lo || !equal_folded(t.data() + hi - s.size(), s.data(), s.size())) return false;
        hi -= s.size();
    }
    for (; first < last; ++first) {
        auto s = piece(first);
        bool found = false;
        for (std::size_t at = lo; at + s.size() <= hi; ++at) {
            if (equal_folded(t.data() + at, s.data(), s.size())) {
                lo = at + s.size();
                found = true;
                break;
            }
        }
        if (!found) return false;
    }
    return true;
}

// ---------------------------------------------------------------- criteria parser

class CriteriaParser {
public:
    CriteriaParser(std::string_view text, const ColumnLookup& lookup) : text_(text), lookup_(lookup) {}

    Criteria parse() {
        next();
        out_.root_ = parse_or(0);
        if (tok_.kind == Tok::RParen) fail(fmt::format("unexpected ')' at position {}", pos(tok_)));
        if (tok_.kind != Tok::End) expected("AND or OR");
        return std::move(out_);
    }

private:
    enum class Tok { End, Name, Number, String, Date, Op, LParen, RParen, And, Or, Like, Null };
    struct Token {
        Tok kind = Tok::End;
        std::size_t begin = 0, end = 0;  // bytes of the source, delimiters included
        std::string value;               // names and texts without their delimiters
    };
    using Op = Criteria::Op;
    using Node = Criteria::Node;
    static constexpr int kMaxDepth = 200;  // parentheses; deeper is surely not a real filter

    [[noreturn]] void fail(const std::string& what) const {
        err::raise(err::kBadArgs, fmt::format("Filter: {} in \"{}\"", what, text_));
    }
    std::size_t pos(const Token& t) const { return char_position(text_, t.begin); }
    std::string_view raw(const Token& t) const { return text_.substr(t.begin, t.end - t.begin); }
    // A token for a message: quoted, unless it is a quoted text already.
    std::string shown(const Token& t) const {
        return t.kind == Tok::String ? std::string(raw(t)) : fmt::format("'{}'", raw(t));
    }

    // "expected X after 'prev' at position <prev>" at the end of the text,
    // else names what was found there instead.
    [[noreturn]] void expected(std::string_view what) const {
        if (tok_.kind == Tok::End) {
            if (!have_prev_) fail(fmt::format("expected {} at position 1", what));
            fail(fmt::format("expected {} after {} at position {}", what, shown(prev_), pos(prev_)));
        }
        if (!have_prev_) fail(fmt::format("expected {}, found {} at position {}", what, shown(tok_), pos(tok_)));
        fail(fmt::format("expected {} after {}, found {} at position {}", what, shown(prev_), shown(tok_), pos(tok_)));
    }

    void next() {
        if (tok_.end > 0 || tok_.kind != Tok::End) {
            prev_ = std::move(tok_);
            have_prev_ = true;
        }
        tok_ = Token{};
        std::size_t i = at_;
        while (i < text_.size() && is_blank(text_[i])) ++i;
        tok_.begin = tok_.end = i;
        if (i >= text_.size()) {
            at_ = i;
            return;
        }
        std::size_t open_pos = char_position(text_, i);
        char c = text_[i];
        std::size_t j = i + 1;
        if (c == '(' || c == ')') {
            tok_.kind = c == '(' ? Tok::LParen : Tok::RParen;
        } else if (c == '=' || c == '<' || c == '>') {
            if (j < text_.size() && ((c == '<' && (text_[j] == '>' || text_[j] == '=')) || (c == '>' && text_[j] == '=')))
                ++j;
            tok_.kind = Tok::Op;
        } else if (c == '\'') {
            for (;;) {
                if (j >= text_.size()) fail(fmt::format("the text value opened at position {} is not closed with '", open_pos));
                if (text_[j] == '\'') {
                    if (j + 1 < text_.size() && text_[j + 1] == '\'') {
                        tok_.value += '\'';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                tok_.value += text_[j++];
            }
            tok_.kind = Tok::String;
        } else if (c == '#' || c == '[') {
            char close = c == '#' ? '#' : ']';
            std::size_t k = text_.find(close, j);
            if (k == std::string_view::npos)
                fail(fmt::format("the {} opened at position {} is not closed with {}", c == '#' ? "date" : "field name",
                                 open_pos, close));
            tok_.value = std::string(text_.substr(j, k - j));
            tok_.kind = c == '#' ? Tok::Date : Tok::Name;
            if (c == '[' && trim(tok_.value).empty()) fail(fmt::format("empty field name at position {}", open_pos));
            j = k + 1;
        } else if (digit(c) || ((c == '-' || c == '+' || c == '.') && j < text_.size() &&
                                (digit(text_[j]) || (text_[j] == '.' && c != '.')))) {
            // sign, digits, fraction, exponent; "1.2.3" is caught when converting
            j = i + (c == '-' || c == '+' ? 1 : 0);
            while (j < text_.size() && (digit(text_[j]) || text_[j] == '.')) ++j;
            if (j < text_.size() && (text_[j] == 'e' || text_[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < text_.size() && (text_[k] == '+' || text_[k] == '-')) ++k;
                if (k < text_.size() && digit(text_[k])) {
                    while (k < text_.size() && digit(text_[k])) ++k;
                    j = k;
                }
            }
            tok_.kind = Tok::Number;
        } else if (name_char(c)) {
            while (j < text_.size() && name_char(text_[j])) ++j;
            std::string_view w = text_.substr(i, j - i);
            tok_.kind = keyword_is(w, "and")    ? Tok::And
                        : keyword_is(w, "or")   ? Tok::Or
                        : keyword_is(w, "like") ? Tok::Like
                        : keyword_is(w, "null") ? Tok::Null
                                                : Tok::Name;
            tok_.value = std::string(w);
        } else {
            // whole code point, so the message shows the character
            while (j < text_.size() && (static_cast<unsigned char>(text_[j]) & 0xC0) == 0x80) ++j;
            fail(fmt::format("unexpected character '{}' at position {}", text_.substr(i, j - i), open_pos));
        }
        tok_.end = at_ = j;
    }

    std::uint32_t add(Node n) {
        out_.nodes_.push_back(std::move(n));
        return static_cast<std::uint32_t>(out_.nodes_.size() - 1);
    }

    // One n-ary node for a run of the same connective; a parenthesised run of
    // the same kind is spliced in, so "(a AND b) AND c" evaluates flat.
    std::uint32_t group(Op op, const std::vector<std::uint32_t>& parts) {
        if (parts.size() == 1) return parts.front();
        std::vector<std::uint32_t> flat;
        for (std::uint32_t p : parts) {
            const Node& n = out_.nodes_[p];
            if (n.op == op)
                flat.insert(flat.end(), out_.kids_.begin() + n.first, out_.kids_.begin() + n.first + n.count);
            else
                flat.push_back(p);
        }
        Node n;
        n.op = op;
        n.first = static_cast<std::uint32_t>(out_.kids_.size());
        n.count = static_cast<std::uint32_t>(flat.size());
        out_.kids_.insert(out_.kids_.end(), flat.begin(), flat.end());
        return add(std::move(n));
    }

    std::uint32_t parse_or(int depth) {
        std::vector<std::uint32_t> parts{parse_and(depth)};
        while (tok_.kind == Tok::Or) {
            next();
            parts.push_back(parse_and(depth));
        }
        return group(Op::Or, parts);
    }

    std::uint32_t parse_and(int depth) {
        std::vector<std::uint32_t> parts{parse_factor(depth)};
        while (tok_.kind == Tok::And) {
            next();
            parts.push_back(parse_factor(depth));
        }
        return group(Op::And, parts);
    }

    std::uint32_t parse_factor(int depth) {
        if (tok_.kind == Tok::LParen) {
            Token open = tok_;
            if (depth >= kMaxDepth) fail(fmt::format("parentheses nested too deeply at position {}", pos(open)));
            next();
            std::uint32_t inner = parse_or(depth + 1);
            if (tok_.kind != Tok::RParen) {
                if (tok_.kind == Tok::End) fail(fmt::format("the '(' at position {} is not closed", pos(open)));
                expected("AND, OR or ')'");
            }
            next();
            return inner;
        }
        if (tok_.kind != Tok::Name) expected("a field name");
        std::string field = tok_.value;
        auto ref = lookup_(field);
        if (!ref) err::raise(err::kItemNotFound, not_found("Filter", field));
        next();

        Op op;
        if (tok_.kind == Tok::Like) {
            op = Op::Like;
        } else if (tok_.kind == Tok::Op) {
            std::string_view o = raw(tok_);
            op = o == "=" ? Op::Eq : o == "<>" ? Op::Ne : o == "<" ? Op::Lt : o == ">" ? Op::Gt : o == "<=" ? Op::Le : Op::Ge;
        } else {
            expected("an operator");
        }
        next();

        Node n;
        n.op = op;
        n.column = ref->index;
        switch (tok_.kind) {
        case Tok::Null:
            if (op != Op::Eq && op != Op::Ne)
                fail(fmt::format("Null can only be compared with = or <> at position {}", pos(tok_)));
            n.op = op == Op::Eq ? Op::IsNull : Op::NotNull;
            break;
        case Tok::Number: case Tok::String: case Tok::Date: case Tok::Name:
            if (op == Op::Like) {
                if (tok_.kind != Tok::String)
                    fail(fmt::format("LIKE needs a text pattern, found {} at position {}", shown(tok_), pos(tok_)));
                n.first = compile_pattern(tok_.value);
            } else {
                n.literal = literal_for(*ref, field);
            }
            break;
        default:
            expected("a value");
        }
        next();
        return add(std::move(n));
    }

    std::uint32_t compile_pattern(std::string_view text) {
        Criteria::Pattern p;
        p.anchored_start = text.empty() || (text.front() != '*' && text.front() != '%');
        p.anchored_end = text.empty() || (text.back() != '*' && text.back() != '%');
        std::size_t start = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '*' || text[i] == '%') {
                if (i > start)
                    p.pieces.emplace_back(static_cast<std::uint32_t>(p.folded.size()), static_cast<std::uint32_t>(i - start));
                for (std::size_t k = start; k < i; ++k) p.folded += static_cast<char>(fold(text[k]));
                start = i + 1;
            }
        }
        out_.patterns_.push_back(std::move(p));
        return static_cast<std::uint32_t>(out_.patterns_.size() - 1);
    }

    // The current token as a value of the field's type, so rows compare
    // without converting.
    Variant literal_for(const ColumnRef& ref, const std::string& field) const {
        Variant v;
        switch (tok_.kind) {
        case Tok::Number: {
            auto n = number_value(raw(tok_));
            if (!n) fail(fmt::format("'{}' is not a number at position {}", raw(tok_), pos(tok_)));
            v = *n;
            break;
        }
        case Tok::Date: {
            auto d = vb::parse_date(tok_.value);
            if (!d) fail(fmt::format("{} is not a valid date at position {}", raw(tok_), pos(tok_)));
            v = Variant::date(*d);
            break;
        }
        case Tok::Name:
            if (keyword_is(tok_.value, "true") || keyword_is(tok_.value, "false")) {
                v = Variant(keyword_is(tok_.value, "true"));
                break;
            }
            expected("a value");
        default:
            v = Variant(tok_.value);
            break;
        }

        auto cannot = [&](std::string_view what) {
            fail(fmt::format("{} cannot be converted to {} for field '{}' at position {}", raw(tok_), what, field,
                             pos(tok_)));
        };
        if (is_numeric_type(ref.type)) {
            if (v.is_string()) {
                auto n = number_value(v.str());
                if (!n) cannot("a number");
                return *n;
            }
            if (v.type() == VarType::Date) return Variant(v.number());
            return v;
        }
        if (ref.type == adBoolean) {
            if (v.is_string()) {
                if (keyword_is(trim(v.str()), "true")) return Variant(true);
                if (keyword_is(trim(v.str()), "false")) return Variant(false);
                auto d = numeric_text(v.str());
                if (!d) cannot("True or False");
                return Variant(*d != 0);
            }
            return Variant(v.number() != 0);
        }
        if (is_date_type(ref.type)) {
            if (v.is_string()) {
                auto d = vb::parse_date(v.str());
                if (!d) cannot("a date");
                return Variant::date(*d);
            }
            return Variant::date(v.number());
        }
        if (is_text_type(ref.type) && !v.is_string()) return Variant(vb::CStr(v));
        return v;
    }

    std::string_view text_;
    const ColumnLookup& lookup_;
    std::size_t at_ = 0;
    Token tok_, prev_;
    bool have_prev_ = false;
    Criteria out_;
};

Criteria parse_criteria(std::string_view text, const ColumnLookup& lookup) {
    if (trim(text).empty()) return {};
    return CriteriaParser(text, lookup).parse();
}

// ---------------------------------------------------------------- sort keys

std::vector<SortKey> parse_sort(std::string_view text, const ColumnLookup& lookup) {
    std::vector<SortKey> keys;
    if (trim(text).empty()) return keys;
    auto fail = [text](const std::string& what) {
        err::raise(err::kBadArgs, fmt::format("Sort: {} in \"{}\"", what, text));
    };
    auto at = [text](std::size_t byte) { return char_position(text, byte); };
    std::size_t i = 0;
    auto skip = [&] { while (i < text.size() && is_blank(text[i])) ++i; };
    // a bare word runs to the next blank or comma
    auto word_end = [&](std::size_t from) {
        while (from < text.size() && !is_blank(text[from]) && text[from] != ',') ++from;
        return from;
    };
    std::size_t comma = std::string_view::npos;  // the separator before this key
    for (;;) {
        skip();
        if (i >= text.size() || text[i] == ',') {
            if (comma == std::string_view::npos) fail(fmt::format("expected a field name at position {}", at(i)));
            fail(fmt::format("expected a field name after ',' at position {}", at(comma)));
        }
        std::string_view name;
        std::size_t name_at = i;
        if (text[i] == '[') {
            std::size_t k = text.find(']', i + 1);
            if (k == std::string_view::npos)
                fail(fmt::format("the field name opened at position {} is not closed with ]", at(i)));
            name = text.substr(i + 1, k - i - 1);
            i = k + 1;
        } else {
            std::size_t k = word_end(i);
            name = text.substr(i, k - i);
            i = k;
        }
        std::string_view shown = text.substr(name_at, i - name_at);
        auto ref = lookup(name);
        if (!ref) err::raise(err::kItemNotFound, not_found("Sort", name));
        bool desc = false;
        skip();
        if (i < text.size() && text[i] != ',') {
            std::size_t k = word_end(i);
            std::string_view w = text.substr(i, k - i);
            if (keyword_is(w, "desc")) desc = true;
            else if (!keyword_is(w, "asc"))
                fail(fmt::format("expected ASC, DESC or ',' after '{}', found '{}' at position {}", shown, w, at(i)));
            i = k;
            skip();
            if (i < text.size() && text[i] != ',')
                fail(fmt::format("expected ',' after '{}', found '{}' at position {}", w,
                                 text.substr(i, word_end(i) - i), at(i)));
        }
        keys.push_back({ref->index, desc});
        if (i >= text.size()) return keys;
        comma = i++;
    }
}

}  // namespace korvane::ado::detail
