#include "platform/ado/drivers/sqlite/tsql.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
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

// A token's text is a view into the batch, or into a literal for the few
// tokens a rewrite makes; a batch of thousands of statements is cut into
// its tokens without a copy.
struct Token {
    Kind kind;
    std::string_view text;
};

using Tokens = std::vector<Token>;

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
constexpr bool word_char(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '@' ||
           c == '#' || c == '$' || c >= 0x80;  // UTF-8 names are words too
}
struct WordChars {
    bool is[256];
    constexpr WordChars() : is() {
        for (int c = 0; c < 256; ++c) is[c] = word_char(static_cast<unsigned char>(c));
    }
};
constexpr WordChars kWordChars;
inline bool is_word_char(char c) { return kWordChars.is[static_cast<unsigned char>(c)]; }
// A word starts with a word character other than a digit (digits start a number).
inline bool is_word_start(char c) { return is_word_char(c) && !is_digit(c); }
using vb::iequals_ascii;
using vb::lower_ascii;
using vb::upper_ascii;

bool one_of(std::string_view word, std::initializer_list<std::string_view> words) {
    for (auto w : words)
        if (iequals_ascii(word, w)) return true;
    return false;
}

bool significant(const Token& t) { return t.kind != Kind::Space && t.kind != Kind::Comment; }
bool is_word(const Token& t, std::string_view w) { return t.kind == Kind::Word && iequals_ascii(t.text, w); }
bool is_punct(const Token& t, char c) { return t.kind == Kind::Punct && t.text[0] == c; }

std::size_t next_sig(const Token* t, std::size_t n, std::size_t i) {
    while (i < n && !significant(t[i])) ++i;
    return i;
}
std::size_t next_sig(const Tokens& t, std::size_t i) { return next_sig(t.data(), t.size(), i); }

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

// Cuts the batch into tokens, one at a time.
class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    [[gnu::always_inline]] bool next(Token& out) {
        const std::string_view s = s_;
        const std::size_t n = s.size();
        std::size_t i = i_;
        if (i >= n) return false;
        const char c = s[i];
        const std::size_t start = i;
        Kind kind = Kind::Punct;
        std::size_t text_from = start;
        if (is_space(c)) {
            while (i < n && is_space(s[i])) ++i;
            kind = Kind::Space;
        } else if (is_word_start(c) && !((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'')) {
            while (i < n && is_word_char(s[i])) ++i;
            kind = Kind::Word;
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
        } else if (c == 'N' || c == 'n') {  // N'...': the prefix goes
            i = skip_quoted(s, i + 1, '\'');
            kind = Kind::String;
            text_from = start + 1;
        } else if (c == '[') {
            i = skip_quoted(s, i, ']');
            kind = Kind::Quoted;
        } else if (c == '"') {
            i = skip_quoted(s, i, '"');
            kind = Kind::Quoted;
        } else if (is_digit(c) ||
                   (c == '.' && i + 1 < n && is_digit(s[i + 1]) && prev_ != Kind::Word && prev_ != Kind::Quoted)) {
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
        } else {
            ++i;
        }
        i_ = i;
        prev_ = kind;
        out = Token{kind, s.substr(text_from, i - text_from)};
        return true;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
    Kind prev_ = Kind::Space;  // before the first token: nothing a '.' could qualify
};

// --- splitting -------------------------------------------------------------

// The words the splitter acts on; every other word is kNone.
enum class Kw : std::uint8_t {
    kNone, kIf, kCreate, kDrop, kAlter, kInsert, kUpdate, kDelete, kSelect, kWith, kElse, kValues, kBegin, kCase,
    kEnd, kTrigger, kTemp, kTemporary, kTable, kIndex, kView, kAs, kUnion, kAll, kExcept, kIntersect, kOn, kAfter,
    kBefore, kOf, kFor, kOr, kInstead,
};

// A word's keyword, any case: told apart by its length and first letter,
// so that most words are no keyword after a compare or two.
Kw keyword(std::string_view w) {
    auto is = [w](std::string_view name, Kw kw) { return iequals_ascii(w, name) ? kw : Kw::kNone; };
    const char f = upper_ascii(w[0]);
    switch (w.size()) {
    case 2:
        switch (f) {
        case 'I': return is("IF", Kw::kIf);
        case 'A': return is("AS", Kw::kAs);
        case 'O': {
            const char l = upper_ascii(w[1]);
            return l == 'N' ? Kw::kOn : l == 'F' ? Kw::kOf : l == 'R' ? Kw::kOr : Kw::kNone;
        }
        default: return Kw::kNone;
        }
    case 3:
        switch (f) {
        case 'E': return is("END", Kw::kEnd);
        case 'A': return is("ALL", Kw::kAll);
        case 'F': return is("FOR", Kw::kFor);
        default: return Kw::kNone;
        }
    case 4:
        switch (f) {
        case 'D': return is("DROP", Kw::kDrop);
        case 'W': return is("WITH", Kw::kWith);
        case 'E': return is("ELSE", Kw::kElse);
        case 'C': return is("CASE", Kw::kCase);
        case 'T': return is("TEMP", Kw::kTemp);
        case 'V': return is("VIEW", Kw::kView);
        default: return Kw::kNone;
        }
    case 5:
        switch (f) {
        case 'A': return upper_ascii(w[1]) == 'L' ? is("ALTER", Kw::kAlter) : is("AFTER", Kw::kAfter);
        case 'T': return is("TABLE", Kw::kTable);
        case 'I': return is("INDEX", Kw::kIndex);
        case 'U': return is("UNION", Kw::kUnion);
        case 'B': return is("BEGIN", Kw::kBegin);
        default: return Kw::kNone;
        }
    case 6:
        switch (f) {
        case 'C': return is("CREATE", Kw::kCreate);
        case 'I': return is("INSERT", Kw::kInsert);
        case 'U': return is("UPDATE", Kw::kUpdate);
        case 'D': return is("DELETE", Kw::kDelete);
        case 'S': return is("SELECT", Kw::kSelect);
        case 'V': return is("VALUES", Kw::kValues);
        case 'E': return is("EXCEPT", Kw::kExcept);
        case 'B': return is("BEFORE", Kw::kBefore);
        default: return Kw::kNone;
        }
    case 7:
        switch (f) {
        case 'T': return is("TRIGGER", Kw::kTrigger);
        case 'I': return is("INSTEAD", Kw::kInstead);
        default: return Kw::kNone;
        }
    case 9:
        switch (f) {
        case 'T': return is("TEMPORARY", Kw::kTemporary);
        case 'I': return is("INTERSECT", Kw::kIntersect);
        default: return Kw::kNone;
        }
    default: return Kw::kNone;
    }
}

bool starts_statement(Kw k) {
    return k == Kw::kIf || k == Kw::kCreate || k == Kw::kDrop || k == Kw::kAlter || k == Kw::kInsert ||
           k == Kw::kUpdate || k == Kw::kDelete || k == Kw::kSelect;
}

// Reads the batch's tokens in order and hands each statement, blanks
// trimmed off both ends, to `emit` as soon as it is complete; the tokens
// handed over live until the next statement is read.
template <class Emit>
class Splitter {
public:
    explicit Splitter(Emit emit) : emit_(std::move(emit)) {}

    void run(std::string_view batch) {
        Lexer lexer(batch);
        Token t;
        while (lexer.next(t)) take(t);
        finish();
    }

private:
    void take(const Token& t) {
        if (t.kind == Kind::Space) {  // blanks only go with the statement
            cur_.push_back(t);
            return;
        }
        const Kw kw = t.kind == Kind::Word ? keyword(t.text) : Kw::kNone;
        if (t.kind == Kind::Word && trigger_) {
            if (kw == Kw::kBegin || kw == Kw::kCase) ++block_;
            if (kw == Kw::kEnd && block_ > 0) --block_;
        } else if (kw == Kw::kTrigger && first_ == Kw::kCreate &&
                   (prev_ == Kw::kCreate || prev_ == Kw::kTemp || prev_ == Kw::kTemporary)) {
            trigger_ = true;
        }
        const bool top = depth_ == 0 && block_ == 0;
        if (top && is_punct(t, ';')) {
            finish();
            return;
        }
        if (top && kw != Kw::kNone) {
            if (starts_statement(kw)) {
                if (!has_sig_) {
                    begin(kw);
                } else if (!continues(kw)) {
                    finish();
                    begin(kw);
                }
            } else if (!has_sig_ && kw == Kw::kWith) {
                begin(kw);
                body_pending_ = true;  // the query the common table expressions serve
            } else if (kw == Kw::kElse && first_ == Kw::kIf) {
                body_pending_ = true;
            } else if (kw == Kw::kValues) {
                insert_open_ = false;
            }
        }
        if (is_punct(t, '(')) ++depth_;
        if (is_punct(t, ')') && depth_ > 0) --depth_;
        if (significant(t)) {
            has_sig_ = true;
            prev_ = kw;
        }
        cur_.push_back(t);
    }

    void begin(Kw kw) {
        first_ = kw;
        body_pending_ = kw == Kw::kIf;
        insert_open_ = kw == Kw::kInsert;
    }

    // Whether a statement keyword carries on the statement being read.
    bool continues(Kw kw) {
        if (kw == Kw::kIf && (prev_ == Kw::kTable || prev_ == Kw::kIndex || prev_ == Kw::kView || prev_ == Kw::kTrigger))
            return true;  // DROP TABLE IF EXISTS
        switch (prev_) {
        case Kw::kAs: case Kw::kUnion: case Kw::kAll: case Kw::kExcept: case Kw::kIntersect: case Kw::kOn:
        case Kw::kAfter: case Kw::kBefore: case Kw::kOf: case Kw::kFor: case Kw::kOr: case Kw::kInstead:
            if (kw == Kw::kSelect) insert_open_ = false;
            return true;
        default: break;
        }
        if (body_pending_) {
            body_pending_ = false;
            insert_open_ = kw == Kw::kInsert;
            return true;
        }
        if (kw == Kw::kSelect && insert_open_) {
            insert_open_ = false;
            return true;
        }
        return first_ == Kw::kAlter && kw == Kw::kDrop;  // ALTER TABLE t DROP COLUMN c
    }

    void finish() {
        if (has_sig_) {
            std::size_t b = 0, e = cur_.size();
            while (b < e && cur_[b].kind == Kind::Space) ++b;
            while (e > b && cur_[e - 1].kind == Kind::Space) --e;
            emit_(cur_.data() + b, e - b);
        }
        cur_.clear();
        first_ = prev_ = Kw::kNone;
        has_sig_ = body_pending_ = insert_open_ = trigger_ = false;
        depth_ = block_ = 0;
    }

    Emit emit_;
    Tokens cur_;                 // the statement being read
    int depth_ = 0;
    bool has_sig_ = false;       // cur_ holds more than blanks and comments
    Kw first_ = Kw::kNone;       // the statement's leading keyword
    Kw prev_ = Kw::kNone;        // the last significant token's keyword (kNone for any other token)
    bool body_pending_ = false;  // IF / ELSE / WITH still waits for its statement
    bool insert_open_ = false;   // an INSERT whose SELECT has not come yet
    bool trigger_ = false;       // a CREATE TRIGGER: its body's statements are its own
    int block_ = 0;              // BEGIN and CASE not yet closed by END, inside a trigger
};

// --- token rewrites ----------------------------------------------------------

std::optional<std::string_view> collation_for(std::string_view name) {
    const std::string up = upper_ascii(name);
    auto has = [&](std::string_view part) { return up.find(part) != std::string::npos; };
    auto ends = [&](std::string_view part) {
        return up.size() >= part.size() && up.compare(up.size() - part.size(), part.size(), part) == 0;
    };
    if (has("_CI_") || ends("_CI")) return "NOCASE";
    if (has("_CS_") || ends("_CS") || has("_BIN")) return "BINARY";
    return std::nullopt;
}

// The statement `in` with its tokens rewritten, into `out`. Only words of
// three, four, six and seven letters can be rewritten (dbo, with, tempdb,
// isnull, getdate, collate), and the name after COLLATE. True when the
// statement has a TOP for top_to_limit to look at.
bool rewrite_tokens(const Token* in, std::size_t n, Tokens& out) {
    out.clear();
    bool after_collate = false;
    bool top = false;
    for (std::size_t i = 0; i < n; ++i) {
        Token t = in[i];
        if (t.kind == Kind::Punct || t.kind == Kind::Space) {
            if (t.kind == Kind::Punct) after_collate = false;
            out.push_back(t);
            continue;
        }
        const std::size_t size = t.text.size();
        const bool dot_follows = (size == 3 || size == 5 || size == 6) && i + 1 < n && is_punct(in[i + 1], '.');
        if (dot_follows && (is_word(t, "dbo") || (t.kind == Kind::Quoted && iequals_ascii(t.text, "[dbo]")))) {
            ++i;  // the owner means nothing to SQLite
            continue;
        }
        if (dot_follows && is_word(t, "tempdb") && i + 2 < n && is_punct(in[i + 2], '.')) {
            out.push_back(t);
            out.push_back(in[i + 1]);
            i += 2;
            continue;
        }
        if (t.kind == Kind::Word) {
            auto call = [&](std::size_t& j) {
                j = next_sig(in, n, i + 1);
                return j < n && is_punct(in[j], '(');
            };
            std::size_t j = 0;
            if (after_collate) {
                after_collate = false;
                if (auto c = collation_for(t.text)) t.text = *c;
            } else if (size == 6 && iequals_ascii(t.text, "isnull") && call(j)) {
                t.text = "IFNULL";
            } else if (size == 7 && iequals_ascii(t.text, "getdate") && call(j)) {
                const std::size_t k = next_sig(in, n, j + 1);
                if (k < n && is_punct(in[k], ')')) {
                    out.push_back(Token{Kind::Word, "datetime('now','localtime')"});
                    i = k;
                    continue;
                }
            } else if (size == 4 && iequals_ascii(t.text, "with") && call(j)) {
                const std::size_t k = next_sig(in, n, j + 1);
                const std::size_t m = k < n ? next_sig(in, n, k + 1) : n;
                if (k < n && is_word(in[k], "nolock") && m < n && is_punct(in[m], ')')) {
                    if (!out.empty() && out.back().kind == Kind::Space) out.pop_back();
                    i = m;
                    continue;
                }
            } else if (size == 7 && iequals_ascii(t.text, "collate")) {
                after_collate = true;
            } else if (size == 3 && iequals_ascii(t.text, "top")) {
                top = true;
            }
        } else if (significant(t)) {
            after_collate = false;
        }
        out.push_back(t);
    }
    return top;
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

// Tokens side by side in the batch are copied as one piece.
std::string join(const Tokens& t, std::size_t b, std::size_t e) {
    std::size_t size = 0;
    for (std::size_t i = b; i < e; ++i) size += t[i].text.size();
    std::string r(size, '\0');
    char* p = r.data();
    std::size_t i = b;
    while (i < e) {
        const char* from = t[i].text.data();
        const char* to = from + t[i].text.size();
        for (++i; i < e && t[i].text.data() == to; ++i) to += t[i].text.size();
        if (to != from) std::memcpy(p, from, static_cast<std::size_t>(to - from));
        p += to - from;
    }
    return r;
}

// The text without blanks at either end, in place.
void trim_blanks(std::string& r) {
    std::size_t e = r.size();
    while (e > 0 && is_space(r[e - 1])) --e;
    r.erase(e);
    std::size_t b = 0;
    while (b < r.size() && is_space(r[b])) ++b;
    r.erase(0, b);
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
        const std::string_view count = t[a].text;
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
                       one_of(t[e].text, {"UNION", "EXCEPT", "INTERSECT", "FOR"})) {
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
    return one_of(w, {"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "TEXT", "NTEXT", "SYSNAME", "CHARACTER"});
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
                                         !one_of(t[col].text, {"CONSTRAINT", "PRIMARY", "UNIQUE", "CHECK",
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

bool literal(const Token& t) { return t.kind == Kind::String || t.kind == Kind::Number; }

// Token texts are short: compared in place rather than by a call.
bool same_text(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) return false;
    return true;
}

// Translates the statements of one batch in order. A batch often repeats a
// statement with other values (a scratch table filled row by row): a
// statement whose tokens are the last one's but for its strings and
// numbers is translated as that one was, its own values put in their
// places. That holds where the rewrites never read a value and keep every
// value in its place: not in IF ... DROP TABLE (which compares names in
// strings), CREATE TABLE or a statement with TOP.
class Translator {
public:
    std::string statement(const Token* in, std::size_t n) {
        if (shape_ && same_shape(in, n)) return from_shape(in, n);
        shape_ = false;
        const bool top = rewrite_tokens(in, n, out_);
        if (auto drop = drop_if_exists(out_)) return *drop;
        if (top) top_to_limit(out_);
        text_columns_nocase(out_);
        std::string text = join(out_, 0, out_.size());
        const std::size_t untrimmed = text.size();
        trim_blanks(text);
        const std::size_t first = next_sig(out_, 0);
        if (!top && text.size() == untrimmed &&
            !(first < out_.size() && (is_word(out_[first], "IF") || is_word(out_[first], "CREATE"))))
            keep_shape(in, n, text);
        return text;
    }

private:
    struct Span {
        std::size_t at, size;  // in shape_text_
    };

    void keep_shape(const Token* in, std::size_t n, const std::string& text) {
        shape_in_.assign(in, in + n);
        shape_text_ = text;
        values_.clear();
        std::size_t at = 0;
        for (const Token& t : out_) {
            if (literal(t)) values_.push_back(Span{at, t.text.size()});
            at += t.text.size();
        }
        shape_ = true;
    }

    bool same_shape(const Token* in, std::size_t n) const {
        if (n != shape_in_.size()) return false;
        for (std::size_t i = 0; i < n; ++i) {
            const Token& a = in[i];
            const Token& b = shape_in_[i];
            if (a.kind != b.kind || (!literal(a) && !same_text(a.text, b.text))) return false;
        }
        return true;
    }

    std::string from_shape(const Token* in, std::size_t n) const {
        std::string r;
        r.reserve(shape_text_.size() + 16);
        std::size_t from = 0, v = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (!literal(in[i])) continue;
            const Span& s = values_[v++];
            r.append(shape_text_, from, s.at - from).append(in[i].text);
            from = s.at + s.size;
        }
        r.append(shape_text_, from);
        return r;
    }

    Tokens out_;                // the statement rewritten
    bool shape_ = false;        // the last statement can serve as a shape
    Tokens shape_in_;           // its tokens as written
    std::string shape_text_;    // its translation
    std::vector<Span> values_;  // where its strings and numbers sit in it, in order
};

}  // namespace

std::vector<std::string> translate_batch(std::string_view batch) {
    std::vector<std::string> out;
    Translator translator;
    Splitter([&](const Token* t, std::size_t n) {
        std::string s = translator.statement(t, n);
        if (!s.empty()) out.push_back(std::move(s));
    }).run(batch);
    return out;
}

std::vector<std::string> split_batch(std::string_view batch) {
    std::vector<std::string> out;
    Splitter([&](const Token* t, std::size_t n) {
        std::string text;
        for (std::size_t i = 0; i < n; ++i) text += t[i].text;
        trim_blanks(text);
        if (!text.empty()) out.push_back(std::move(text));
    }).run(batch);
    return out;
}

}  // namespace korvane::ado::sqlite
