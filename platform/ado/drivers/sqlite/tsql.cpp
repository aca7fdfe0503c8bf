#include "platform/ado/drivers/sqlite/tsql.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <utility>

#include "platform/vb/ascii.h"

namespace korvane::ado::sqlite {
namespace {

enum class Kind : std::uint8_t {
    Space,
    Comment,  // -- to the end of the line, or /* */
    Word,     // names and keywords, unquoted
    Quoted,   // [name] or "name"
    String,   // '...' with '' doubling; an N prefix is already dropped
    Number,
    Punct,    // one character
};

struct Token {
    Kind kind;
    std::string text;
};

using Tokens = std::vector<Token>;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word_char(char ch) {
    auto c = static_cast<unsigned char>(ch);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(ch) || c == '_' || c == '@' ||
           c == '#' || c == '$' || c >= 0x80;  // UTF-8 names are words too
}
using vb::iequals_ascii;
using vb::lower_ascii;
using vb::upper_ascii;

bool one_of(std::string_view upper_word, std::initializer_list<std::string_view> words) {
    for (auto w : words)
        if (upper_word == w) return true;
    return false;
}

bool significant(const Token& t) { return t.kind != Kind::Space && t.kind != Kind::Comment; }
bool is_word(const Token& t, std::string_view w) { return t.kind == Kind::Word && iequals_ascii(t.text, w); }
bool is_punct(const Token& t, char c) { return t.kind == Kind::Punct && t.text[0] == c; }

std::size_t next_sig(const Tokens& t, std::size_t i) {
    while (i < t.size() && !significant(t[i])) ++i;
    return i;
}

// Index just past a quoted run opened at `open` and closed by `close`, where a
// doubled closing character stands for itself. An unterminated run takes the
// rest of the text: SQLite then reports it.
std::size_t skip_quoted(std::string_view s, std::size_t open, char close) {
    std::size_t i = open + 1;
    while (i < s.size()) {
        if (s[i] == close) {
            if (i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

Tokens lex(std::string_view s) {
    Tokens out;
    std::size_t i = 0;
    const std::size_t n = s.size();
    while (i < n) {
        const char c = s[i];
        const std::size_t start = i;
        Kind kind = Kind::Punct;
        std::size_t text_from = start;
        if (is_space(c)) {
            while (i < n && is_space(s[i])) ++i;
            kind = Kind::Space;
        } else if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            i = s.find('\n', i);
            if (i == std::string_view::npos) i = n;
            kind = Kind::Comment;
        } else if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            i = s.find("*/", i + 2);
            i = (i == std::string_view::npos) ? n : i + 2;
            kind = Kind::Comment;
        } else if (c == '\'') {
            i = skip_quoted(s, i, '\'');
            kind = Kind::String;
        } else if ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'') {
            i = skip_quoted(s, i + 1, '\'');
            kind = Kind::String;
            text_from = start + 1;
        } else if (c == '[') {
            i = skip_quoted(s, i, ']');
            kind = Kind::Quoted;
        } else if (c == '"') {
            i = skip_quoted(s, i, '"');
            kind = Kind::Quoted;
        } else if (is_digit(c) || (c == '.' && i + 1 < n && is_digit(s[i + 1]) &&
                                   (out.empty() || (out.back().kind != Kind::Word &&
                                                    out.back().kind != Kind::Quoted)))) {
            while (i < n && is_digit(s[i])) ++i;
            if (i < n && s[i] == '.') {
                ++i;
                while (i < n && is_digit(s[i])) ++i;
            }
            if (i + 1 < n && (s[i] == 'e' || s[i] == 'E') &&
                (is_digit(s[i + 1]) || ((s[i + 1] == '+' || s[i + 1] == '-') && i + 2 < n && is_digit(s[i + 2])))) {
                i += 2;
                while (i < n && is_digit(s[i])) ++i;
            }
            kind = Kind::Number;
        } else if (is_word_char(c)) {
            while (i < n && is_word_char(s[i])) ++i;
            kind = Kind::Word;
        } else {
            ++i;
        }
        out.push_back(Token{kind, std::string(s.substr(text_from, i - text_from))});
    }
    return out;
}

// --- splitting -------------------------------------------------------------

bool starts_statement(std::string_view up) {
    return one_of(up, {"IF", "CREATE", "DROP", "ALTER", "INSERT", "UPDATE", "DELETE", "SELECT"});
}

class Splitter {
public:
    std::vector<Tokens> run(Tokens toks) {
        for (auto& t : toks) take(std::move(t));
        finish();
        return std::move(out_);
    }

private:
    void take(Token t) {
        std::string up;
        if (t.kind == Kind::Word) up = upper_ascii(t.text);
        if (t.kind == Kind::Word && trigger_) {
            if (up == "BEGIN" || up == "CASE") ++block_;
            if (up == "END" && block_ > 0) --block_;
        } else if (up == "TRIGGER" && first_ == "CREATE" && one_of(prev_word_, {"CREATE", "TEMP", "TEMPORARY"})) {
            trigger_ = true;
        }
        const bool top = depth_ == 0 && block_ == 0;
        if (top && is_punct(t, ';')) {
            finish();
            return;
        }
        if (top && t.kind == Kind::Word) {
            if (starts_statement(up)) {
                if (!has_sig_) {
                    begin(up);
                } else if (!continues(up)) {
                    finish();
                    begin(up);
                }
            } else if (!has_sig_ && up == "WITH") {
                begin(up);
                body_pending_ = true;  // the query the common table expressions serve
            } else if (up == "ELSE" && first_ == "IF") {
                body_pending_ = true;
            } else if (up == "VALUES") {
                insert_open_ = false;
            }
        }
        if (is_punct(t, '(')) ++depth_;
        if (is_punct(t, ')') && depth_ > 0) --depth_;
        if (significant(t)) {
            has_sig_ = true;
            prev_word_ = std::move(up);
        }
        cur_.push_back(std::move(t));
    }

    void begin(const std::string& up) {
        first_ = up;
        body_pending_ = up == "IF";
        insert_open_ = up == "INSERT";
    }

    // Whether a statement keyword carries on the statement being read.
    bool continues(const std::string& up) {
        if (up == "IF" && one_of(prev_word_, {"TABLE", "INDEX", "VIEW", "TRIGGER"})) return true;  // DROP TABLE IF EXISTS
        if (one_of(prev_word_, {"AS", "UNION", "ALL", "EXCEPT", "INTERSECT", "ON", "AFTER", "BEFORE", "OF",
                                "FOR", "OR", "INSTEAD"})) {
            if (up == "SELECT") insert_open_ = false;
            return true;
        }
        if (body_pending_) {
            body_pending_ = false;
            insert_open_ = up == "INSERT";
            return true;
        }
        if (up == "SELECT" && insert_open_) {
            insert_open_ = false;
            return true;
        }
        return first_ == "ALTER" && up == "DROP";  // ALTER TABLE t DROP COLUMN c
    }

    void finish() {
        if (has_sig_) {
            std::size_t b = 0, e = cur_.size();
            while (b < e && cur_[b].kind == Kind::Space) ++b;
            while (e > b && cur_[e - 1].kind == Kind::Space) --e;
            out_.emplace_back(std::make_move_iterator(cur_.begin() + static_cast<std::ptrdiff_t>(b)),
                              std::make_move_iterator(cur_.begin() + static_cast<std::ptrdiff_t>(e)));
        }
        cur_.clear();
        first_.clear();
        prev_word_.clear();
        has_sig_ = body_pending_ = insert_open_ = trigger_ = false;
        depth_ = block_ = 0;
    }

    std::vector<Tokens> out_;
    Tokens cur_;
    int depth_ = 0;
    bool has_sig_ = false;       // cur_ holds more than blanks and comments
    std::string first_;          // the statement's leading keyword, upper case
    std::string prev_word_;      // the last significant token if a word, upper case
    bool body_pending_ = false;  // IF / ELSE / WITH still waits for its statement
    bool insert_open_ = false;   // an INSERT whose SELECT has not come yet
    bool trigger_ = false;       // a CREATE TRIGGER: its body's statements are its own
    int block_ = 0;              // BEGIN and CASE not yet closed by END, inside a trigger
};

// --- token rewrites ----------------------------------------------------------

std::optional<std::string> collation_for(std::string_view name) {
    const std::string up = upper_ascii(name);
    auto has = [&](std::string_view part) { return up.find(part) != std::string::npos; };
    auto ends = [&](std::string_view part) {
        return up.size() >= part.size() && up.compare(up.size() - part.size(), part.size(), part) == 0;
    };
    if (has("_CI_") || ends("_CI")) return "NOCASE";
    if (has("_CS_") || ends("_CS") || has("_BIN")) return "BINARY";
    return std::nullopt;
}

Tokens rewrite_tokens(Tokens in) {
    Tokens out;
    out.reserve(in.size());
    const std::size_t n = in.size();
    bool after_collate = false;
    for (std::size_t i = 0; i < n; ++i) {
        Token& t = in[i];
        const bool dot_follows = i + 1 < n && is_punct(in[i + 1], '.');
        if (dot_follows && (is_word(t, "dbo") || (t.kind == Kind::Quoted && iequals_ascii(t.text, "[dbo]")))) {
            ++i;  // the owner means nothing to SQLite
            continue;
        }
        if (dot_follows && is_word(t, "tempdb") && i + 2 < n && is_punct(in[i + 2], '.')) {
            out.push_back(std::move(t));
            out.push_back(std::move(in[i + 1]));
            i += 2;
            continue;
        }
        if (t.kind == Kind::Word) {
            const std::size_t j = next_sig(in, i + 1);
            const bool call = j < n && is_punct(in[j], '(');
            if (after_collate) {
                after_collate = false;
                if (auto c = collation_for(t.text)) t.text = *c;
            } else if (call && iequals_ascii(t.text, "isnull")) {
                t.text = "IFNULL";
            } else if (call && iequals_ascii(t.text, "getdate")) {
                const std::size_t k = next_sig(in, j + 1);
                if (k < n && is_punct(in[k], ')')) {
                    out.push_back(Token{Kind::Word, "datetime('now','localtime')"});
                    i = k;
                    continue;
                }
            } else if (call && iequals_ascii(t.text, "with")) {
                const std::size_t k = next_sig(in, j + 1);
                const std::size_t m = k < n ? next_sig(in, k + 1) : n;
                if (k < n && is_word(in[k], "nolock") && m < n && is_punct(in[m], ')')) {
                    if (!out.empty() && out.back().kind == Kind::Space) out.pop_back();
                    i = m;
                    continue;
                }
            } else if (iequals_ascii(t.text, "collate")) {
                after_collate = true;
            }
        } else if (significant(t)) {
            after_collate = false;
        }
        out.push_back(std::move(t));
    }
    return out;
}

// --- statement rewrites ------------------------------------------------------

// Reads significant tokens in order; every match advances past the token.
class Cursor {
public:
    explicit Cursor(const Tokens& t) : t_(t) {}

    const Token* peek() {
        i_ = next_sig(t_, i_);
        return i_ < t_.size() ? &t_[i_] : nullptr;
    }
    bool word(std::string_view w) { return advance_if([&](const Token& t) { return is_word(t, w); }); }
    bool punct(char c) { return advance_if([&](const Token& t) { return is_punct(t, c); }); }
    const Token* take(Kind k) {
        const Token* p = peek();
        if (!p || p->kind != k) return nullptr;
        ++i_;
        return p;
    }
    bool done() { return peek() == nullptr; }
    std::size_t pos() const { return i_; }

    // A possibly qualified name written without blanks: part(.part)*; the range of its tokens.
    std::optional<std::pair<std::size_t, std::size_t>> name() {
        const Token* p = peek();
        if (!p || (p->kind != Kind::Word && p->kind != Kind::Quoted)) return std::nullopt;
        const std::size_t b = i_;
        std::size_t e = i_ + 1;
        while (e + 1 < t_.size() && is_punct(t_[e], '.') &&
               (t_[e + 1].kind == Kind::Word || t_[e + 1].kind == Kind::Quoted))
            e += 2;
        i_ = e;
        return std::make_pair(b, e);
    }

private:
    template <class Pred>
    bool advance_if(Pred pred) {
        const Token* p = peek();
        if (!p || !pred(*p)) return false;
        ++i_;
        return true;
    }

    const Tokens& t_;
    std::size_t i_ = 0;
};

std::string join(const Tokens& t, std::size_t b, std::size_t e) {
    std::string r;
    for (std::size_t i = b; i < e; ++i) r += t[i].text;
    return r;
}

// A name compared as the server resolves it: no quotes, no owner, any case.
std::string normalized_name(std::string_view text) {
    std::string r;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t dot = text.find('.', i);
        if (dot == std::string_view::npos) dot = text.size();
        std::string_view part = text.substr(i, dot - i);
        if (part.size() >= 2 && ((part.front() == '[' && part.back() == ']') ||
                                 (part.front() == '"' && part.back() == '"')))
            part = part.substr(1, part.size() - 2);
        if (!part.empty() && !iequals_ascii(part, "dbo")) {
            if (!r.empty()) r += '.';
            for (char c : part) r += lower_ascii(c);
        }
        i = dot + 1;
    }
    return r;
}

std::optional<std::string> string_content(const Token* t) {
    if (!t || t->text.size() < 2 || t->text.back() != '\'') return std::nullopt;
    std::string r;
    for (std::size_t i = 1; i + 1 < t->text.size(); ++i) {
        r += t->text[i];
        if (t->text[i] == '\'') ++i;
    }
    return r;
}

// OBJECT_ID ( 'name' [, 'type'] ): the name.
std::optional<std::string> object_id_call(Cursor& c) {
    if (!c.word("OBJECT_ID") || !c.punct('(')) return std::nullopt;
    auto name = string_content(c.take(Kind::String));
    if (!name) return std::nullopt;
    if (c.punct(',') && !c.take(Kind::String)) return std::nullopt;
    if (!c.punct(')')) return std::nullopt;
    return name;
}

// EXISTS (SELECT * FROM sysobjects WHERE id = OBJECT_ID('x') [AND ...]): the name x.
std::optional<std::string> sysobjects_check(Cursor& c, const Tokens& t) {
    if (!c.word("EXISTS") || !c.punct('(') || !c.word("SELECT") || !c.punct('*') || !c.word("FROM"))
        return std::nullopt;
    auto ref = c.name();
    if (!ref) return std::nullopt;
    const std::string table = normalized_name(t[ref->second - 1].text);
    if (table != "sysobjects" && table != "objects") return std::nullopt;
    if (!c.word("WHERE") || !(c.word("id") || c.word("object_id")) || !c.punct('=')) return std::nullopt;
    auto name = object_id_call(c);
    if (!name) return std::nullopt;
    while (c.word("AND")) {
        if (c.word("OBJECTPROPERTY")) {
            if (!c.punct('(') || !c.word("id") || !c.punct(',') || !c.take(Kind::String) || !c.punct(')') ||
                !c.punct('=') || !c.take(Kind::Number))
                return std::nullopt;
        } else if (c.word("type") || c.word("xtype")) {
            if (!c.punct('=') || !c.take(Kind::String)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (!c.punct(')')) return std::nullopt;
    return name;
}

// IF <the table exists> DROP TABLE x, for the same x: DROP TABLE IF EXISTS x.
std::optional<std::string> drop_if_exists(const Tokens& t) {
    Cursor c(t);
    if (!c.word("IF")) return std::nullopt;
    std::optional<std::string> checked;
    if (c.peek() && is_word(*c.peek(), "EXISTS")) {
        checked = sysobjects_check(c, t);
    } else {
        checked = object_id_call(c);
        if (checked && !(c.word("IS") && c.word("NOT") && c.word("NULL"))) checked.reset();
    }
    if (!checked || !c.word("DROP") || !c.word("TABLE")) return std::nullopt;
    auto name = c.name();
    if (!name || !c.done()) return std::nullopt;
    const std::string dropped = join(t, name->first, name->second);
    if (normalized_name(dropped) != normalized_name(*checked)) return std::nullopt;
    return "DROP TABLE IF EXISTS " + dropped;
}

// SELECT [DISTINCT] TOP n ... -> SELECT [DISTINCT] ... LIMIT n, at the end of
// that SELECT's own query; left alone where LIMIT would mean something else.
void top_to_limit(Tokens& t) {
    for (std::size_t s = 0; s < t.size(); ++s) {
        if (!is_word(t[s], "SELECT")) continue;
        std::size_t k = next_sig(t, s + 1);
        if (k < t.size() && (is_word(t[k], "DISTINCT") || is_word(t[k], "ALL"))) k = next_sig(t, k + 1);
        if (k >= t.size() || !is_word(t[k], "TOP")) continue;
        std::size_t a = next_sig(t, k + 1);
        std::size_t last = a;
        if (a < t.size() && is_punct(t[a], '(')) {
            a = next_sig(t, a + 1);
            last = next_sig(t, a + 1);
            if (last >= t.size() || !is_punct(t[last], ')')) continue;
        }
        if (a >= t.size() || t[a].kind != Kind::Number ||
            t[a].text.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string count = t[a].text;
        const std::size_t after = next_sig(t, last + 1);
        if (after < t.size() && (is_word(t[after], "PERCENT") || is_word(t[after], "WITH"))) continue;

        int depth = 0;
        bool plain = true;
        std::size_t end_sig = last;
        for (std::size_t e = last + 1; e < t.size(); ++e) {
            if (is_punct(t[e], '(')) {
                ++depth;
            } else if (is_punct(t[e], ')')) {
                if (depth == 0) break;
                --depth;
            } else if (depth == 0 && t[e].kind == Kind::Word &&
                       one_of(upper_ascii(t[e].text), {"UNION", "EXCEPT", "INTERSECT", "FOR"})) {
                plain = false;
                break;
            }
            if (significant(t[e])) end_sig = e;
        }
        if (!plain || end_sig == last) continue;

        const Token limit[] = {{Kind::Space, " "}, {Kind::Word, "LIMIT"}, {Kind::Space, " "}, {Kind::Number, count}};
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(end_sig + 1), std::begin(limit), std::end(limit));
        std::size_t rm_end = last + 1;
        while (rm_end < t.size() && t[rm_end].kind == Kind::Space) ++rm_end;
        t.erase(t.begin() + static_cast<std::ptrdiff_t>(k), t.begin() + static_cast<std::ptrdiff_t>(rm_end));
    }
}

bool text_type(std::string_view w) {
    return one_of(upper_ascii(w), {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "TEXT", "NTEXT", "SYSNAME", "CHARACTER"});
}

// Index of the token closing the parenthesis opened at `open`, or t.size().
std::size_t matching_paren(const Tokens& t, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < t.size(); ++i) {
        if (is_punct(t[i], '(')) ++depth;
        if (is_punct(t[i], ')') && --depth == 0) return i;
    }
    return t.size();
}

// CREATE TABLE x (...): text columns without a collation compare without case.
void text_columns_nocase(Tokens& t) {
    Cursor c(t);
    if (!c.word("CREATE") || !c.word("TABLE")) return;
    if (c.word("IF") && !(c.word("NOT") && c.word("EXISTS"))) return;
    if (!c.name() || !c.punct('(')) return;
    std::vector<std::size_t> inserts;
    std::size_t i = c.pos();
    for (;;) {
        // One definition runs to the next ',' or the closing ')' at its own depth.
        std::size_t e = i;
        int depth = 0;
        bool has_collate = false;
        for (; e < t.size(); ++e) {
            if (depth == 0 && (is_punct(t[e], ',') || is_punct(t[e], ')'))) break;
            if (is_punct(t[e], '(')) ++depth;
            if (is_punct(t[e], ')')) --depth;
            if (is_word(t[e], "COLLATE")) has_collate = true;
        }
        if (e >= t.size()) return;  // unbalanced: SQLite will say so
        const std::size_t col = next_sig(t, i);
        const bool column = col < e && (t[col].kind == Kind::Quoted ||
                                        (t[col].kind == Kind::Word &&
                                         !one_of(upper_ascii(t[col].text), {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK",
                                                                         "FOREIGN", "INDEX", "KEY"})));
        const std::size_t type = column ? next_sig(t, col + 1) : e;
        if (!has_collate && type < e && t[type].kind == Kind::Word && text_type(t[type].text)) {
            std::size_t type_end = type;
            const std::size_t p = next_sig(t, type + 1);
            if (p < e && is_punct(t[p], '(')) type_end = matching_paren(t, p);
            if (type_end < e) inserts.push_back(type_end + 1);
        }
        if (is_punct(t[e], ')')) break;
        i = e + 1;
    }
    for (auto it = inserts.rbegin(); it != inserts.rend(); ++it) {
        const Token add[] = {{Kind::Space, " "}, {Kind::Word, "COLLATE NOCASE"}};
        t.insert(t.begin() + static_cast<std::ptrdiff_t>(*it), std::begin(add), std::end(add));
    }
}

std::string translate_statement(Tokens toks) {
    Tokens t = rewrite_tokens(std::move(toks));
    if (auto drop = drop_if_exists(t)) return *drop;
    top_to_limit(t);
    text_columns_nocase(t);
    std::string r = join(t, 0, t.size());
    std::size_t b = 0, e = r.size();
    while (b < e && is_space(r[b])) ++b;
    while (e > b && is_space(r[e - 1])) --e;
    return r.substr(b, e - b);
}

}  // namespace

std::vector<std::string> translate_batch(std::string_view batch) {
    std::vector<std::string> out;
    for (auto& statement : Splitter().run(lex(batch))) {
        std::string s = translate_statement(std::move(statement));
        if (!s.empty()) out.push_back(std::move(s));
    }
    return out;
}

std::vector<std::string> split_batch(std::string_view batch) {
    std::vector<std::string> out;
    for (auto& statement : Splitter().run(lex(batch))) {
        std::string r = join(statement, 0, statement.size());
        std::size_t b = 0, e = r.size();
        while (b < e && is_space(r[b])) ++b;
        while (e > b && is_space(r[e - 1])) --e;
        if (e > b) out.push_back(r.substr(b, e - b));
    }
    return out;
}

}  // namespace korvane::ado::sqlite
