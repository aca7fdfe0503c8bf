#include "platform/ado/criteria.h"

#include <charconv>
#include <string>

#include <fmt/format.h>

#include "platform/ado/types.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"

namespace korvane::ado::detail {

namespace {

inline char fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int compare_text(std::string_view a, std::string_view b) noexcept {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(fold(a[i]));
        unsigned char y = static_cast<unsigned char>(fold(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool numeric_kind(const Variant& v) noexcept { return v.is_number() || v.is_bool() || v.type() == VarType::Date; }

std::optional<double> numeric_text(std::string_view s) noexcept {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return std::nullopt;
    double d = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
    return d;
}

// '*' and '%' stand for any run of characters; the rest matches with ASCII
// case folded. Works on bytes, which is safe for UTF-8 since the wildcards
// are ASCII.
bool like_match(std::string_view t, std::string_view p) noexcept {
    std::size_t ti = 0, pi = 0, star = std::string_view::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) {
            star = pi++;
            mark = ti;
        } else if (pi < p.size() && fold(p[pi]) == fold(t[ti])) {
            ++pi;
            ++ti;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
    return pi == p.size();
}

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like };

}  // namespace

struct Criteria::Node {
    enum Kind { And, Or, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    int column = 0;
    Op op = Op::Eq;
    bool null_test = false;
    Variant literal;
    std::string pattern;  // LIKE

    bool eval(const Variant* row) const {
        switch (kind) {
        case And: return left->eval(row) && right->eval(row);
        case Or: return left->eval(row) || right->eval(row);
        default: break;
        }
        const Variant& v = row[column];
        bool missing = v.is_null() || v.is_empty();
        if (null_test) return op == Op::Eq ? missing : !missing;
        if (missing) return false;
        if (op == Op::Like) {
            if (v.is_string()) return like_match(v.str(), pattern);
            if (v.is_object()) return false;
            return like_match(vb::CStr(v), pattern);
        }
        int c = compare_values(v, literal);
        switch (op) {
        case Op::Eq: return c == 0;
        case Op::Ne: return c != 0;
        case Op::Lt: return c < 0;
        case Op::Gt: return c > 0;
        case Op::Le: return c <= 0;
        case Op::Ge: return c >= 0;
        default: return false;
        }
    }
};

Criteria::Criteria() = default;
Criteria::~Criteria() = default;
Criteria::Criteria(Criteria&&) noexcept = default;
Criteria& Criteria::operator=(Criteria&&) noexcept = default;

bool Criteria::matches(const Variant* row) const { return !root_ || root_->eval(row); }

int compare_values(const Variant& a, const Variant& b) noexcept {
    bool an = a.is_null() || a.is_empty(), bn = b.is_null() || b.is_empty();
    if (an || bn) return an == bn ? 0 : (an ? -1 : 1);
    if (a.is_string() && b.is_string()) return compare_text(a.str(), b.str());
    bool anum = numeric_kind(a), bnum = numeric_kind(b);
    double x, y;
    if (anum && bnum) {
        x = a.number();
        y = b.number();
    } else if (anum && b.is_string()) {
        auto d = numeric_text(b.str());
        if (!d) return -1;
        x = a.number();
        y = *d;
    } else if (bnum && a.is_string()) {
        auto d = numeric_text(a.str());
        if (!d) return 1;
        x = *d;
        y = b.number();
    } else {
        // objects and errors: after everything, equal among themselves
        int ra = a.is_object() ? 2 : 1, rb = b.is_object() ? 2 : 1;
        return ra == rb ? 0 : (ra < rb ? -1 : 1);
    }
    return x < y ? -1 : (x > y ? 1 : 0);
}

namespace {

struct Token {
    enum Kind { End, Name, Number, String, Date, Op, LParen, RParen, And, Or, Like, Null } kind = End;
    std::string text;
    std::size_t pos = 0;
};

class Parser {
public:
    Parser(std::string_view text, const ColumnLookup& lookup) : text_(text), lookup_(lookup) { advance(); }

    std::unique_ptr<Criteria::Node> parse() {
        auto node = parse_or();
        if (tok_.kind != Token::End) fail(fmt::format("unexpected '{}'", tok_.text), tok_.pos);
        return node;
    }

private:
    [[noreturn]] void fail(const std::string& what, std::size_t pos) const {
        err::raise(err::kBadArgs, fmt::format("Filter: {} at position {} in \"{}\"", what, pos + 1, text_));
    }

    static bool name_char(unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
               c == '$' || c == '@' || c >= 0x80;
    }

    void advance() {
        std::size_t i = at_;
        while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t' || text_[i] == '\r' || text_[i] == '\n')) ++i;
        tok_ = Token{};
        tok_.pos = i;
        if (i >= text_.size()) {
            at_ = i;
            return;
        }
        char c = text_[i];
        if (c == '(' || c == ')') {
            tok_.kind = c == '(' ? Token::LParen : Token::RParen;
            tok_.text = std::string(1, c);
            at_ = i + 1;
        } else if (c == '=' || c == '<' || c == '>') {
            std::size_t j = i + 1;
            if (j < text_.size() && ((c == '<' && (text_[j] == '>' || text_[j] == '=')) || (c == '>' && text_[j] == '=')))
                ++j;
            tok_.kind = Token::Op;
            tok_.text = std::string(text_.substr(i, j - i));
            at_ = j;
        } else if (c == '\'') {
            std::string s;
            std::size_t j = i + 1;
            for (;;) {
                if (j >= text_.size()) fail("a text value is not closed with '", i);
                if (text_[j] == '\'') {
                    if (j + 1 < text_.size() && text_[j + 1] == '\'') {
                        s += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                s += text_[j++];
            }
            tok_.kind = Token::String;
            tok_.text = std::move(s);
            at_ = j + 1;
        } else if (c == '#') {
            std::size_t j = text_.find('#', i + 1);
            if (j == std::string_view::npos) fail("a date value is not closed with #", i);
            tok_.kind = Token::Date;
            tok_.text = std::string(text_.substr(i + 1, j - i - 1));
            at_ = j + 1;
        } else if (c == '[') {
            std::size_t j = text_.find(']', i + 1);
            if (j == std::string_view::npos) fail("a field name is not closed with ]", i);
            tok_.kind = Token::Name;
            tok_.text = std::string(text_.substr(i + 1, j - i - 1));
            at_ = j + 1;
        } else if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
            std::size_t j = i + 1;
            while (j < text_.size() && ((text_[j] >= '0' && text_[j] <= '9') || text_[j] == '.' || text_[j] == 'e' ||
                                        text_[j] == 'E' ||
                                        ((text_[j] == '-' || text_[j] == '+') && (text_[j - 1] == 'e' || text_[j - 1] == 'E'))))
                ++j;
            tok_.kind = Token::Number;
            tok_.text = std::string(text_.substr(i, j - i));
            at_ = j;
        } else if (name_char(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < text_.size() && name_char(static_cast<unsigned char>(text_[j]))) ++j;
            tok_.text = std::string(text_.substr(i, j - i));
            std::string low;
            for (char ch : tok_.text) low += fold(ch);
            tok_.kind = low == "and" ? Token::And
                        : low == "or" ? Token::Or
                        : low == "like" ? Token::Like
                        : low == "null" ? Token::Null
                                        : Token::Name;
            at_ = j;
        } else {
            fail(fmt::format("unexpected character '{}'", c), i);
        }
    }

    std::unique_ptr<Criteria::Node> parse_or() {
        auto left = parse_and();
        while (tok_.kind == Token::Or) {
            advance();
            auto n = std::make_unique<Criteria::Node>();
            n->kind = Criteria::Node::Or;
            n->left = std::move(left);
            n->right = parse_and();
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<Criteria::Node> parse_and() {
        auto left = parse_factor();
        while (tok_.kind == Token::And) {
            advance();
            auto n = std::make_unique<Criteria::Node>();
            n->kind = Criteria::Node::And;
            n->left = std::move(left);
            n->right = parse_factor();
            left = std::move(n);
        }
        return left;
    }

    std::unique_ptr<Criteria::Node> parse_factor() {
        if (tok_.kind == Token::LParen) {
            std::size_t open = tok_.pos;
            advance();
            auto inner = parse_or();
            if (tok_.kind != Token::RParen) fail("a '(' is not closed", open);
            advance();
            return inner;
        }
        if (tok_.kind != Token::Name) {
            fail(tok_.kind == Token::End ? std::string("expected a field name") : fmt::format("expected a field name, found '{}'", tok_.text),
                 tok_.pos);
        }
        std::string field = tok_.text;
        auto ref = lookup_(field);
        if (!ref)
            err::raise(err::kItemNotFound, fmt::format("Filter: the field '{}' is not in the record set ({})", field,
                                                       err::standard_text(err::kItemNotFound)));
        advance();
        auto n = std::make_unique<Criteria::Node>();
        n->column = ref->index;
        std::string op_text = tok_.text;
        if (tok_.kind == Token::Like) {
            n->op = Op::Like;
        } else if (tok_.kind == Token::Op) {
            n->op = op_text == "=" ? Op::Eq
                    : op_text == "<>" ? Op::Ne
                    : op_text == "<" ? Op::Lt
                    : op_text == ">" ? Op::Gt
                    : op_text == "<=" ? Op::Le
                                      : Op::Ge;
        } else {
            fail(fmt::format("expected an operator after '{}'", field), tok_.pos);
        }
        std::size_t op_pos = tok_.pos;
        advance();
        Token value = tok_;
        if (value.kind == Token::End || value.kind == Token::RParen || value.kind == Token::And ||
            value.kind == Token::Or || value.kind == Token::Op || value.kind == Token::Like || value.kind == Token::LParen)
            fail(fmt::format("expected a value after '{}'", op_text), value.kind == Token::End ? op_pos : value.pos);
        advance();
        if (value.kind == Token::Null) {
            if (n->op != Op::Eq && n->op != Op::Ne) fail("Null can only be compared with = or <>", value.pos);
            n->null_test = true;
            return n;
        }
        if (n->op == Op::Like) {
            if (value.kind != Token::String) fail("LIKE needs a text value", value.pos);
            n->pattern = value.text;
            return n;
        }
        n->literal = literal_for(*ref, value);
        return n;
    }

    // The literal in the field's terms, so rows compare without converting.
    Variant literal_for(const ColumnRef& ref, const Token& value) const {
        if (value.kind == Token::Name) {
            std::string low;
            for (char ch : value.text) low += fold(ch);
            if (low == "true" || low == "false") return Variant(low == "true" ? -1.0 : 0.0);
            fail(fmt::format("'{}' is not a value", value.text), value.pos);
        }
        if (value.kind == Token::Date) {
            auto d = vb::parse_date(value.text);
            if (!d) fail(fmt::format("#{}# is not a date", value.text), value.pos);
            return Variant::date(*d);
        }
        if (value.kind == Token::Number) {
            auto d = numeric_text(value.text);
            if (!d) fail(fmt::format("'{}' is not a number", value.text), value.pos);
            if (is_text_type(ref.type)) return Variant(value.text);
            return Variant(*d);
        }
        // a text value
        if (is_numeric_type(ref.type) || ref.type == adBoolean) {
            auto d = numeric_text(value.text);
            if (!d) fail(fmt::format("'{}' is not a number for a numeric field", value.text), value.pos);
            return Variant(*d);
        }
        if (is_date_type(ref.type)) {
            auto d = vb::parse_date(value.text);
            if (!d) fail(fmt::format("'{}' is not a date for a date field", value.text), value.pos);
            return Variant::date(*d);
        }
        return Variant(value.text);
    }

    std::string_view text_;
    const ColumnLookup& lookup_;
    std::size_t at_ = 0;
    Token tok_;
};

}  // namespace

Criteria parse_criteria(std::string_view text, const ColumnLookup& lookup) {
    Criteria c;
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) return c;
    Parser p(text, lookup);
    c.root_ = p.parse();
    return c;
}

std::vector<SortKey> parse_sort(std::string_view text, const ColumnLookup& lookup) {
    std::vector<SortKey> keys;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        std::string_view part = text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (!part.empty()) {
            bool desc = false;
            auto ends_word = [&part](std::string_view w) {
                if (part.size() <= w.size() || part[part.size() - w.size() - 1] != ' ') return false;
                for (std::size_t i = 0; i < w.size(); ++i)
                    if (fold(part[part.size() - w.size() + i]) != w[i]) return false;
                return true;
            };
            if (ends_word("desc")) {
                desc = true;
                part.remove_suffix(4);
            } else if (ends_word("asc")) {
                part.remove_suffix(3);
            }
            while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
            if (part.size() >= 2 && part.front() == '[' && part.back() == ']') part = part.substr(1, part.size() - 2);
            auto ref = lookup(part);
            if (!ref)
                err::raise(err::kItemNotFound, fmt::format("Sort: the field '{}' is not in the record set ({})", part,
                                                           err::standard_text(err::kItemNotFound)));
            keys.push_back({ref->index, desc});
        } else if (comma != std::string_view::npos) {
            err::raise(err::kBadArgs, fmt::format("Sort: an empty key in \"{}\"", text));
        }
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return keys;
}

}  // namespace korvane::ado::detail
