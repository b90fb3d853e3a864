#include "platform/jet_sql.h"

#include <cstdint>
#include <cstring>

namespace platform {

// ---- schema facts --------------------------------------------------------------------------

std::string SchemaFacts::fold(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool SchemaFacts::is_date_type(std::string_view type) {
    // Only the leading word counts: "DATE", "DATETIME", "date not null".
    size_t i = 0;
    while (i < type.size() && type[i] == ' ') ++i;
    std::string word;
    while (i < type.size() &&
           ((type[i] >= 'a' && type[i] <= 'z') || (type[i] >= 'A' && type[i] <= 'Z')))
        word.push_back(static_cast<char>(type[i++] | 0x20));
    return word == "date" || word == "datetime" || word == "timestamp";
}

void SchemaFacts::clear() {
    tables_.clear();
    date_columns_.clear();
}

void SchemaFacts::add_column(const QString& table, const QString& column,
                             const QString& declared_type) {
    const QByteArray t = table.toUtf8(), c = column.toUtf8(), d = declared_type.toUtf8();
    add_column_utf8(std::string_view(t.constData(), static_cast<size_t>(t.size())),
                    std::string_view(c.constData(), static_cast<size_t>(c.size())),
                    std::string_view(d.constData(), static_cast<size_t>(d.size())));
}

void SchemaFacts::add_column_utf8(std::string_view table, std::string_view column,
                                  std::string_view declared_type) {
    Table& t = tables_[fold(table)];
    const bool date = is_date_type(declared_type);
    t.date_flags.push_back(date);
    if (date) {
        t.date_columns.insert(fold(column));
        date_columns_.insert(fold(column));
    }
}

bool SchemaFacts::has_table(std::string_view table) const {
    return tables_.find(fold(table)) != tables_.end();
}

bool SchemaFacts::is_date_column(std::string_view table, std::string_view column) const {
    if (date_columns_.empty()) return false;
    const std::string c = fold(column);
    if (!table.empty()) {
        auto it = tables_.find(fold(table));
        if (it != tables_.end()) return it->second.date_columns.count(c) != 0;
    }
    return date_columns_.count(c) != 0;
}

bool SchemaFacts::is_date_column_anywhere(std::string_view column) const {
    return !date_columns_.empty() && date_columns_.count(fold(column)) != 0;
}

const std::vector<bool>* SchemaFacts::table_date_flags(std::string_view table) const {
    auto it = tables_.find(fold(table));
    return it == tables_.end() ? nullptr : &it->second.date_flags;
}

// ---- dates ---------------------------------------------------------------------------------

namespace {

struct DateParts {
    int y = 0, m = 0, d = 0, hh = 0, mi = 0, ss = 0;
};

bool read_number(std::string_view s, size_t& i, int& value, int& digits) {
    value = 0;
    digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && digits < 6) {
        value = value * 10 + (s[i] - '0');
        ++i;
        ++digits;
    }
    return digits > 0;
}

int days_in(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2) return ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0) ? 29 : 28;
    return days[m - 1];
}

// "Y-M-D" or "Y/M/D", and with us_order also the Access form "M/D/YYYY"; an optional time.
bool parse_date_parts(std::string_view s, DateParts& p, bool us_order) {
    size_t i = 0, n = s.size();
    while (i < n && s[i] == ' ') ++i;
    while (n > i && s[n - 1] == ' ') --n;
    s = s.substr(0, n);
    int a, b, c, da, db, dc;
    if (!read_number(s, i, a, da) || i >= n) return false;
    const char sep = s[i];
    if (sep != '-' && sep != '/') return false;
    ++i;
    if (!read_number(s, i, b, db) || i >= n || s[i] != sep) return false;
    ++i;
    if (!read_number(s, i, c, dc)) return false;
    if (da == 4 && db <= 2 && dc <= 2) {
        p.y = a, p.m = b, p.d = c;
    } else if (us_order && sep == '/' && da <= 2 && db <= 2 && dc == 4) {
        p.m = a, p.d = b, p.y = c;
    } else {
        return false;
    }
    p.hh = p.mi = p.ss = 0;
    if (i < n) {
        if (s[i] != ' ' && s[i] != 'T') return false;
        while (i < n && (s[i] == ' ' || s[i] == 'T')) ++i;
        int dh, dm, ds;
        if (!read_number(s, i, p.hh, dh) || dh > 2 || i >= n || s[i] != ':') return false;
        ++i;
        if (!read_number(s, i, p.mi, dm) || dm > 2) return false;
        if (i < n && s[i] == ':') {
            ++i;
            if (!read_number(s, i, p.ss, ds) || ds > 2) return false;
        }
        if (i != n) return false;
    }
    if (p.y < 1 || p.m < 1 || p.m > 12 || p.d < 1 || p.d > days_in(p.y, p.m)) return false;
    return p.hh < 24 && p.mi < 60 && p.ss < 60;
}

void put2(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

void format_date(const DateParts& p, std::string& out) {
    out.push_back(static_cast<char>('0' + p.y / 1000));
    out.push_back(static_cast<char>('0' + p.y / 100 % 10));
    put2(out, p.y % 100);
    out.push_back('-');
    put2(out, p.m);
    out.push_back('-');
    put2(out, p.d);
    if (p.hh || p.mi || p.ss) {
        out.push_back(' ');
        put2(out, p.hh);
        out.push_back(':');
        put2(out, p.mi);
        out.push_back(':');
        put2(out, p.ss);
    }
}

}  // namespace

bool normalise_date_text(std::string_view text, std::string& out) {
    DateParts p;
    if (!parse_date_parts(text, p, false)) return false;
    out.clear();
    format_date(p, out);
    return true;
}

// ---- the translator ------------------------------------------------------------------------

namespace {

enum class Tok : uint8_t {
    Word,
    Number,
    String,
    DQuote,
    Bracket,
    DateLit,
    LParen,
    RParen,
    Comma,
    Dot,
    Semicolon,
    Op
};

struct Token {
    uint32_t start = 0;
    uint32_t len = 0;
    int32_t edit = -1;   // replacement text
    int32_t after = -1;  // text appended right after the token
    int16_t depth = 0;
    Tok kind = Tok::Op;
    bool removed = false;
    bool assignment = false;  // the "=" of a SET item
};

bool ident_start(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c >= 0x80;
}
bool ident_char(unsigned char c) { return ident_start(c) || (c >= '0' && c <= '9') || c == '$'; }
bool digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool wordish(unsigned char c) { return ident_char(c) || c == '\'' || c == '"'; }

bool equals_ci(std::string_view a, std::string_view lower) {
    if (a.size() != lower.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

bool starts_with_ci(std::string_view a, std::string_view lower) {
    return a.size() >= lower.size() && equals_ci(a.substr(0, lower.size()), lower);
}

std::string_view trim_view(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::string quote_identifier(std::string_view name) {
    std::string out;
    out.reserve(name.size() + 2);
    out.push_back('"');
    for (char c : name) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::vector<Token>& token_buffer() {
    thread_local std::vector<Token> tokens;
    return tokens;
}

// A quoted text can only be a date when it starts with a digit and holds a separator; this
// keeps the schema look-ups away from most values.
bool may_be_date(std::string_view quoted) {
    size_t i = 1;
    while (i < quoted.size() && quoted[i] == ' ') ++i;
    return i < quoted.size() && digit(static_cast<unsigned char>(quoted[i])) &&
           quoted.find_first_of("-/", i) != std::string_view::npos;
}

class Translator {
public:
    Translator(std::string_view in, const SchemaFacts& facts, JetStatement& out)
        : in_(in), facts_(facts), out_(out) {}

    void run();

private:
    // tokens
    bool tokenize();
    std::string_view text(size_t i) const { return in_.substr(toks_[i].start, toks_[i].len); }
    bool kw(size_t i, std::string_view lower) const {
        return i < toks_.size() && toks_[i].kind == Tok::Word && equals_ci(text(i), lower);
    }
    bool is(size_t i, Tok k) const { return i < toks_.size() && toks_[i].kind == k; }
    bool op(size_t i, const char* s) const {
        return is(i, Tok::Op) && text(i) == std::string_view(s);
    }
    bool is_name(size_t i) const { return is(i, Tok::Word) || is(i, Tok::Bracket); }
    // The name a Word or Bracket token stands for (as written: "]]" still doubled).
    std::string_view name(size_t i) const {
        std::string_view t = text(i);
        if (toks_[i].kind == Tok::Bracket) return t.substr(1, t.size() - 2);
        return t;
    }
    // The same with "]]" read as "]".
    std::string plain_name(size_t i) const {
        const std::string_view raw = name(i);
        std::string out;
        out.reserve(raw.size());
        for (size_t k = 0; k < raw.size(); ++k) {
            out.push_back(raw[k]);
            if (raw[k] == ']' && k + 1 < raw.size() && raw[k + 1] == ']') ++k;
        }
        return out;
    }
    size_t matching_paren(size_t open) const;
    size_t statement_end() const;

    // edits
    void replace(size_t i, std::string s) {
        toks_[i].edit = static_cast<int32_t>(texts_.size());
        texts_.push_back(std::move(s));
        ++edits_;
    }
    void remove(size_t i) {
        toks_[i].removed = true;
        ++edits_;
    }
    void append_after(size_t i, std::string s) {
        if (toks_[i].after >= 0) {
            texts_[static_cast<size_t>(toks_[i].after)] += s;
        } else {
            toks_[i].after = static_cast<int32_t>(texts_.size());
            texts_.push_back(std::move(s));
        }
        ++edits_;
    }
    std::string render(size_t b, size_t e, bool with_tail = false) const;
    void render_into(std::string& out, size_t b, size_t e, bool with_tail) const;
    void fail(std::string message) {
        if (out_.kind != JetStatement::Kind::Invalid) {
            out_.kind = JetStatement::Kind::Invalid;
            out_.error = std::move(message);
        }
    }
    bool failed() const { return out_.kind == JetStatement::Kind::Invalid; }

    // passes
    void statement_pass();
    void local_pass();
    void handle_insert(size_t at);
    void handle_update();
    void handle_delete();
    void handle_create();
    void handle_alter();
    void handle_select_into();
    void map_column_type(size_t type_at, size_t def_end);
    void handle_top(size_t select_at);
    void handle_between(size_t at);
    void handle_compared_string(size_t at);
    void normalise_string_token(size_t i);
    bool date_column_in_statement(std::string_view qualifier, std::string_view column);
    bool parse_excel_spec(size_t bracket, std::string& file) const;
    void build_multi_table_update(size_t set_at, size_t where_at, size_t end);

    std::string_view in_;
    const SchemaFacts& facts_;
    JetStatement& out_;
    // Reused from statement to statement: a batch of inserts allocates nothing here.
    std::vector<Token>& toks_ = token_buffer();
    std::vector<std::string> texts_;
    int edits_ = 0;
    // Tables named by the statement that the schema knows, found when first needed.
    bool tables_known_ = false;
    std::vector<std::string> tables_;
    std::string scratch_;
    size_t multi_set_ = 0, multi_where_ = 0, multi_end_ = 0;
};

bool Translator::tokenize() {
    const size_t n = in_.size();
    size_t i = 0;
    int depth = 0;
    toks_.clear();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(in_[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        Token t;
        t.start = static_cast<uint32_t>(i);
        t.depth = static_cast<int16_t>(depth);
        if (c == '\'' || c == '"') {
            t.kind = c == '\'' ? Tok::String : Tok::DQuote;
            ++i;
            bool closed = false;
            while (i < n) {
                if (static_cast<unsigned char>(in_[i]) == c) {
                    if (i + 1 < n && static_cast<unsigned char>(in_[i + 1]) == c) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                ++i;
            }
            if (!closed) {
                fail("Syntax error: quoted text without its closing quote.");
                return false;
            }
        } else if (c == '[' || c == '#') {
            const char close = c == '[' ? ']' : '#';
            size_t end = in_.find(close, i + 1);
            // Inside a bracketed name "]]" stands for one "]", so a file or sheet name may
            // hold any character.
            while (c == '[' && end != std::string_view::npos && end + 1 < n &&
                   in_[end + 1] == ']')
                end = in_.find(close, end + 2);
            if (end == std::string_view::npos) {
                fail(c == '[' ? "Syntax error: name without its closing bracket."
                              : "Syntax error in date: no closing #.");
                return false;
            }
            t.kind = c == '[' ? Tok::Bracket : Tok::DateLit;
            i = end + 1;
        } else if (digit(c) ||
                   (c == '.' && i + 1 < n && digit(static_cast<unsigned char>(in_[i + 1])))) {
            t.kind = Tok::Number;
            while (i < n && digit(static_cast<unsigned char>(in_[i]))) ++i;
            if (i < n && in_[i] == '.') {
                ++i;
                while (i < n && digit(static_cast<unsigned char>(in_[i]))) ++i;
            }
            if (i < n && (in_[i] == 'e' || in_[i] == 'E')) {
                size_t j = i + 1;
                if (j < n && (in_[j] == '+' || in_[j] == '-')) ++j;
                if (j < n && digit(static_cast<unsigned char>(in_[j]))) {
                    i = j;
                    while (i < n && digit(static_cast<unsigned char>(in_[i]))) ++i;
                }
            }
        } else if (ident_start(c)) {
            t.kind = Tok::Word;
            while (i < n && ident_char(static_cast<unsigned char>(in_[i]))) ++i;
        } else if (c == '(') {
            t.kind = Tok::LParen;
            ++depth;
            ++i;
        } else if (c == ')') {
            if (--depth < 0) {
                fail("Syntax error: a closing parenthesis without its opening one.");
                return false;
            }
            t.kind = Tok::RParen;
            t.depth = static_cast<int16_t>(depth);
            ++i;
        } else if (c == ',') {
            t.kind = Tok::Comma;
            ++i;
        } else if (c == '.') {
            t.kind = Tok::Dot;
            ++i;
        } else if (c == ';') {
            t.kind = Tok::Semicolon;
            ++i;
        } else {
            t.kind = Tok::Op;
            static const char* const pairs[] = {"<>", "<=", ">=", "!=", "||", "=="};
            size_t len = 1;
            if (i + 1 < n)
                for (const char* p : pairs)
                    if (in_[i] == p[0] && in_[i + 1] == p[1]) len = 2;
            i += len;
        }
        t.len = static_cast<uint32_t>(i - t.start);
        toks_.push_back(t);
    }
    if (depth != 0) {
        fail("Syntax error: an opening parenthesis without its closing one.");
        return false;
    }
    return true;
}

size_t Translator::matching_paren(size_t open) const {
    for (size_t i = open + 1; i < toks_.size(); ++i)
        if (toks_[i].kind == Tok::RParen && toks_[i].depth == toks_[open].depth) return i;
    return toks_.size();
}

// The index past the last token of the statement: a trailing semicolon is not part of it.
size_t Translator::statement_end() const {
    size_t e = toks_.size();
    while (e > 0 && toks_[e - 1].kind == Tok::Semicolon) --e;
    return e;
}

std::string Translator::render(size_t b, size_t e, bool with_tail) const {
    std::string out;
    render_into(out, b, e, with_tail);
    return out;
}

void Translator::render_into(std::string& out, size_t b, size_t e, bool with_tail) const {
    out.clear();
    if (b >= e) return;
    out.reserve(in_.size() + 32);
    size_t prev_end = toks_[b].start;
    // A run of removed tokens leaves one gap: the one before it, when text followed it with a
    // gap ("select top 1 x" -> "select x"), else none ("identity primary key," -> "...,").
    bool in_run = false, prev_edit = false;
    std::string_view run_gap;
    auto append_sep = [&out](std::string_view piece) {
        if (!piece.empty() && !out.empty() && wordish(static_cast<unsigned char>(out.back())) &&
            wordish(static_cast<unsigned char>(piece.front())))
            out.push_back(' ');
        out.append(piece);
    };
    for (size_t i = b; i < e; ++i) {
        const Token& t = toks_[i];
        const std::string_view gap = in_.substr(prev_end, t.start - prev_end);
        prev_end = t.start + t.len;
        if (t.removed) {
            if (!in_run) run_gap = gap;
            in_run = true;
            prev_edit = true;
        } else {
            if (in_run) {
                out.append(gap.empty() ? gap : run_gap.empty() ? gap : run_gap);
                in_run = false;
            } else {
                out.append(gap);
            }
            if (t.edit >= 0) {
                append_sep(texts_[static_cast<size_t>(t.edit)]);
                prev_edit = true;
            } else {
                if (prev_edit)
                    append_sep(in_.substr(t.start, t.len));
                else
                    out.append(in_.substr(t.start, t.len));
                prev_edit = false;
            }
        }
        if (t.after >= 0) {
            out.append(texts_[static_cast<size_t>(t.after)]);
            prev_edit = true;
        }
    }
    if (with_tail) out.append(in_.substr(prev_end));
}

void Translator::run() {
    // Cleared field by field, keeping the capacity of a reused statement.
    out_.kind = JetStatement::Kind::Plain;
    out_.sql.clear();
    out_.table.clear();
    out_.steps.clear();
    out_.update_step = -1;
    out_.file.clear();
    out_.sheet.clear();
    out_.error.clear();
    out_.changes_schema = false;
    if (!tokenize()) return;
    if (toks_.empty()) {
        out_.sql.assign(in_);
        return;
    }
    statement_pass();
    if (failed()) return;
    local_pass();
    if (failed()) return;
    if (multi_set_) {
        build_multi_table_update(multi_set_, multi_where_, multi_end_);
        return;
    }
    if (out_.kind == JetStatement::Kind::ExcelRead) return;
    if (edits_ == 0)
        out_.sql.assign(in_);
    else
        render_into(out_.sql, 0, toks_.size(), true);
}

// ---- statement-specific rewrites ----

void Translator::statement_pass() {
    if (kw(0, "select")) {
        handle_select_into();
    } else if (kw(0, "insert")) {
        handle_insert(0);
    } else if (kw(0, "update")) {
        handle_update();
    } else if (kw(0, "delete")) {
        handle_delete();
    } else if (kw(0, "create")) {
        handle_create();
    } else if (kw(0, "alter")) {
        handle_alter();
    } else if (kw(0, "drop")) {
        out_.changes_schema = true;
    }
}

bool Translator::parse_excel_spec(size_t bracket, std::string& file) const {
    if (!is(bracket, Tok::Bracket)) return false;
    const std::string whole = plain_name(bracket);
    std::string_view spec = trim_view(whole);
    if (!starts_with_ci(spec, "excel")) return false;
    file.clear();
    // "key=value" parts split at ";"; a value in double quotes ("" for a quote inside) may
    // hold ";" and blanks, as a file name can.
    while (!spec.empty()) {
        size_t k = 0;
        while (k < spec.size() && spec[k] != ';' && spec[k] != '=') ++k;
        const std::string_view key = trim_view(spec.substr(0, k));
        std::string value;
        if (k < spec.size() && spec[k] == '=') {
            size_t v = k + 1;
            while (v < spec.size() && (spec[v] == ' ' || spec[v] == '\t')) ++v;
            if (v < spec.size() && spec[v] == '"') {
                for (++v; v < spec.size(); ++v) {
                    if (spec[v] == '"') {
                        if (v + 1 < spec.size() && spec[v + 1] == '"') {
                            value.push_back('"');
                            ++v;
                            continue;
                        }
                        ++v;
                        break;
                    }
                    value.push_back(spec[v]);
                }
                while (v < spec.size() && spec[v] != ';') ++v;
            } else {
                const size_t start = v;
                while (v < spec.size() && spec[v] != ';') ++v;
                value.assign(trim_view(spec.substr(start, v - start)));
            }
            k = v;
        }
        if (equals_ci(key, "database")) file = value;
        spec = k < spec.size() ? spec.substr(k + 1) : std::string_view();
    }
    return true;
}

void Translator::handle_select_into() {
    const size_t end = statement_end();
    size_t into = 0, from = 0;
    for (size_t i = 1; i < end; ++i) {
        if (toks_[i].depth != 0) continue;
        if (!into && !from && kw(i, "into")) into = i;
        if (!from && kw(i, "from")) from = i;
    }
    std::string file;
    const bool excel_source = from && parse_excel_spec(from + 1, file);
    if (excel_source) {
        if (!into) {
            fail(
                "A workbook is read with SELECT * INTO <table> FROM [Excel "
                "8.0;DATABASE=<file>].[<sheet>$].");
            return;
        }
        if (!(into == 2 && op(1, "*"))) {
            fail("Only SELECT * INTO <table> reads a workbook.");
            return;
        }
        if (file.empty()) {
            fail("The workbook to read names no file (DATABASE=...).");
            return;
        }
        const size_t sheet_at = from + 3;
        if (!is(from + 2, Tok::Dot) || !is_name(sheet_at) || sheet_at + 1 != end ||
            !is_name(into + 1) || into + 2 != from) {
            fail(
                "A workbook is read with SELECT * INTO <table> FROM [Excel "
                "8.0;DATABASE=<file>].[<sheet>$].");
            return;
        }
        std::string sheet = plain_name(sheet_at);
        if (!sheet.empty() && sheet.back() == '$') sheet.pop_back();
        out_.kind = JetStatement::Kind::ExcelRead;
        out_.file = file;
        out_.sheet = sheet;
        out_.table = plain_name(into + 1);
        out_.changes_schema = true;
        return;
    }
    if (!into) return;
    if (!is_name(into + 1)) {
        fail("Syntax error in SELECT ... INTO: no target table.");
        return;
    }
    if (parse_excel_spec(into + 1, file)) {
        const size_t sheet_at = into + 3;
        if (!is(into + 2, Tok::Dot) || !is_name(sheet_at) || file.empty()) {
            fail(
                "A workbook is written with SELECT ... INTO [Excel 8.0;Database=<file>].[<sheet>] "
                "FROM ...");
            return;
        }
        std::string sheet = plain_name(sheet_at);
        if (!sheet.empty() && sheet.back() == '$') sheet.pop_back();
        out_.kind = JetStatement::Kind::ExcelWrite;
        out_.file = file;
        out_.sheet = sheet;
        for (size_t i = into; i <= sheet_at; ++i) remove(i);
        return;
    }
    if (is(into + 2, Tok::Dot) || kw(into + 2, "in")) {
        fail("SELECT ... INTO writes into a table of this database only.");
        return;
    }
    out_.kind = JetStatement::Kind::SelectInto;
    out_.table.assign(name(into + 1));
    out_.changes_schema = true;
    remove(into);
    remove(into + 1);
}

void Translator::handle_insert(size_t at) {
    if (!kw(at + 1, "into") || !is_name(at + 2)) return;
    const size_t table = at + 2;
    size_t j = table + 1;
    std::vector<std::string_view> columns;
    if (is(j, Tok::LParen)) {
        const size_t close = matching_paren(j);
        std::string_view last;
        for (size_t k = j + 1; k < close; ++k) {
            if (toks_[k].kind == Tok::Comma && toks_[k].depth == toks_[j].depth + 1) {
                columns.push_back(last);
                last = {};
            } else if (is_name(k)) {
                last = name(k);
            }
        }
        columns.push_back(last);
        j = close + 1;
    }
    if (!kw(j, "values")) return;
    const std::string_view table_name = name(table);
    const std::vector<bool>* flags =
        columns.empty() ? facts_.table_date_flags(table_name) : nullptr;
    ++j;
    while (is(j, Tok::LParen)) {
        const size_t close = matching_paren(j);
        const int inner = toks_[j].depth + 1;
        size_t index = 0, item_start = j + 1;
        for (size_t k = j + 1; k <= close; ++k) {
            const bool boundary =
                k == close || (toks_[k].kind == Tok::Comma && toks_[k].depth == inner);
            if (!boundary) continue;
            // A value that is one quoted text, written into a date column.
            if (k == item_start + 1 && toks_[item_start].kind == Tok::String &&
                may_be_date(text(item_start))) {
                bool date = false;
                if (!columns.empty()) {
                    date = index < columns.size() && !columns[index].empty() &&
                           facts_.is_date_column(table_name, columns[index]);
                } else if (flags) {
                    date = index < flags->size() && (*flags)[index];
                }
                if (date) normalise_string_token(item_start);
            }
            ++index;
            item_start = k + 1;
        }
        j = close + 1;
        if (is(j, Tok::Comma) && is(j + 1, Tok::LParen))
            ++j;
        else
            break;
    }
}

void Translator::handle_delete() {
    // "delete * from T" and "delete T.* from T": Jet's way of saying "delete from T".
    if (op(1, "*") && kw(2, "from")) {
        remove(1);
    } else if (is_name(1) && is(2, Tok::Dot) && op(3, "*") && kw(4, "from")) {
        remove(1);
        remove(2);
        remove(3);
    }
}

void Translator::map_column_type(size_t at, size_t def_end) {
    if (!is(at, Tok::Word)) return;
    const std::string_view t = text(at);
    const char* mapped = nullptr;
    bool identity = false;
    static const char* const text_types[] = {"varchar",  "char", "text",     "nvarchar",
                                             "nchar",    "memo", "longtext", "string",
                                             "longchar", "note", "character"};
    static const char* const int_types[] = {"int",     "integer", "long",   "smallint", "short",
                                            "byte",    "tinyint", "bigint", "bit",      "yesno",
                                            "logical", "boolean", "bool"};
    static const char* const real_types[] = {"float", "double",  "real",    "single", "currency",
                                             "money", "numeric", "decimal", "number"};
    static const char* const date_types[] = {"date", "datetime", "time", "timestamp"};
    static const char* const identity_types[] = {"identity", "counter", "autoincrement"};
    for (const char* s : text_types)
        if (equals_ci(t, s)) mapped = "TEXT COLLATE NOCASE";
    for (const char* s : int_types)
        if (equals_ci(t, s)) mapped = "INTEGER";
    for (const char* s : real_types)
        if (equals_ci(t, s)) mapped = "REAL";
    for (const char* s : date_types)
        if (equals_ci(t, s)) mapped = "DATE";
    for (const char* s : identity_types)
        if (equals_ci(t, s)) mapped = "INTEGER PRIMARY KEY AUTOINCREMENT", identity = true;
    if (!mapped) return;
    replace(at, mapped);
    size_t j = at + 1;
    // Sizes and seeds: varchar(50), decimal(10,2), identity(1,1).
    if (is(j, Tok::LParen)) {
        const size_t close = matching_paren(j);
        for (size_t k = j; k <= close && k < toks_.size(); ++k) remove(k);
        j = close + 1;
    }
    if (equals_ci(t, "double") && kw(j, "precision")) remove(j);
    if (identity) {
        for (size_t k = j; k + 1 < def_end; ++k)
            if (kw(k, "primary") && kw(k + 1, "key")) {
                remove(k);
                remove(k + 1);
            }
    }
}

void Translator::handle_create() {
    out_.changes_schema = true;
    size_t j = 1;
    if (kw(j, "temp") || kw(j, "temporary")) ++j;
    if (!kw(j, "table") || !is_name(j + 1) || !is(j + 2, Tok::LParen)) return;
    const size_t open = j + 2, close = matching_paren(open);
    const int inner = toks_[open].depth + 1;
    size_t item = open + 1;
    for (size_t k = open + 1; k <= close; ++k) {
        const bool boundary =
            k == close || (toks_[k].kind == Tok::Comma && toks_[k].depth == inner);
        if (!boundary) continue;
        if (is_name(item) && !(kw(item, "constraint") || kw(item, "primary") ||
                               kw(item, "unique") || kw(item, "foreign") || kw(item, "check")))
            map_column_type(item + 1, k);
        item = k + 1;
    }
}

void Translator::handle_alter() {
    out_.changes_schema = true;
    if (!kw(1, "table") || !is_name(2) || !kw(3, "add")) return;
    size_t j = 4;
    if (kw(j, "column")) ++j;
    if (is_name(j)) map_column_type(j + 1, statement_end());
}

void Translator::handle_update() {
    const size_t end = statement_end();
    size_t set_at = 0, where_at = end;
    bool multi = false;
    for (size_t i = 1; i < end; ++i) {
        if (toks_[i].depth != 0) continue;
        if (!set_at) {
            if (kw(i, "set"))
                set_at = i;
            else if (toks_[i].kind == Tok::Comma || kw(i, "join"))
                multi = true;
        } else if (kw(i, "where")) {
            where_at = i;
            break;
        }
    }
    if (!set_at) return;
    // The SET items: mark their "=", strip a qualifier SQLite does not accept there, and write
    // a quoted date into a date column in the stored form.
    const std::string_view table = is_name(1) ? name(1) : std::string_view();
    size_t item = set_at + 1;
    for (size_t k = set_at + 1; k <= where_at; ++k) {
        const bool boundary = k == where_at || (toks_[k].kind == Tok::Comma && toks_[k].depth == 0);
        if (!boundary) continue;
        size_t eq = item;
        while (eq < k && !(toks_[eq].depth == 0 && (op(eq, "=") || op(eq, "==")))) ++eq;
        if (eq < k) {
            toks_[eq].assignment = true;
            std::string_view qualifier, column;
            if (eq == item + 3 && is_name(item) && is(item + 1, Tok::Dot) && is_name(item + 2)) {
                qualifier = name(item);
                column = name(item + 2);
                if (!multi) {
                    remove(item);
                    remove(item + 1);
                }
            } else if (eq == item + 1 && is_name(item)) {
                column = name(item);
            }
            if (!column.empty() && eq + 2 == k && toks_[eq + 1].kind == Tok::String &&
                may_be_date(text(eq + 1))) {
                const bool date = multi ? date_column_in_statement(qualifier, column)
                                        : facts_.is_date_column(table, column);
                if (date) normalise_string_token(eq + 1);
            }
        }
        item = k + 1;
    }
    if (multi) {
        // Built once the local rewrites are marked (run() calls build_multi_table_update).
        multi_set_ = set_at;
        multi_where_ = where_at;
        multi_end_ = end;
    }
}

// ---- rewrites anywhere in the statement ----

bool is_comparison(std::string_view t) {
    return t == "=" || t == "==" || t == "<>" || t == "!=" || t == "<" || t == ">" || t == "<=" ||
           t == ">=";
}

void Translator::local_pass() {
    const size_t n = toks_.size();
    for (size_t i = 0; i < n && !failed(); ++i) {
        const Token& t = toks_[i];
        if (t.removed || t.edit >= 0) continue;
        switch (t.kind) {
            case Tok::Bracket:
                replace(i, quote_identifier(plain_name(i)));
                break;
            case Tok::DQuote: {
                // Jet reads "text" as a quoted text; SQLite would read a name.
                const std::string_view body = text(i).substr(1, t.len - 2);
                std::string s;
                s.reserve(body.size() + 2);
                s.push_back('\'');
                for (size_t k = 0; k < body.size(); ++k) {
                    if (body[k] == '"' && k + 1 < body.size() && body[k + 1] == '"') ++k;
                    if (body[k] == '\'') s.push_back('\'');
                    s.push_back(body[k]);
                }
                s.push_back('\'');
                replace(i, std::move(s));
                break;
            }
            case Tok::DateLit: {
                DateParts p;
                const std::string_view body = text(i).substr(1, t.len - 2);
                if (!parse_date_parts(body, p, true)) {
                    fail("Syntax error in date in query expression '" + std::string(text(i)) +
                         "'.");
                    break;
                }
                std::string s(1, '\'');
                format_date(p, s);
                s.push_back('\'');
                replace(i, std::move(s));
                break;
            }
            case Tok::Op: {
                const std::string_view o = text(i);
                if (o == "&") {
                    replace(i, "||");
                } else if ((o == "=" || o == "==" || o == "<>" || o == "!=") && !t.assignment &&
                           kw(i + 1, "null")) {
                    replace(i, o == "=" || o == "==" ? "IS" : "IS NOT");
                    replace(i + 1, "NULL");
                }
                break;
            }
            case Tok::Word: {
                // Only words starting with t, f, s or b are rewritten here.
                const char first = static_cast<char>(in_[t.start] | 0x20);
                if (first != 't' && first != 'f' && first != 's' && first != 'b') break;
                if (kw(i, "true") || kw(i, "false")) {
                    if (!(i > 0 && is(i - 1, Tok::Dot)) && !is(i + 1, Tok::Dot) &&
                        !is(i + 1, Tok::LParen))
                        replace(i, kw(i, "true") ? "1" : "0");
                } else if (kw(i, "select")) {
                    handle_top(i);
                } else if (kw(i, "between")) {
                    handle_between(i);
                }
                break;
            }
            case Tok::String:
                if (may_be_date(text(i))) handle_compared_string(i);
                break;
            default:
                break;
        }
    }
}

void Translator::handle_top(size_t at) {
    size_t j = at + 1;
    if (kw(j, "distinct") || kw(j, "all")) {
        ++j;
    } else if (kw(j, "distinctrow")) {
        replace(j, "DISTINCT");
        ++j;
    }
    if (!kw(j, "top") || !is(j + 1, Tok::Number)) return;
    const std::string_view count = text(j + 1);
    for (char c : count)
        if (!digit(static_cast<unsigned char>(c))) {
            fail("TOP takes a whole number of rows.");
            return;
        }
    if (kw(j + 2, "percent")) {
        fail("TOP ... PERCENT is not supported.");
        return;
    }
    const int d = toks_[at].depth;
    size_t k = j + 2;
    while (k < toks_.size() && toks_[k].depth >= d &&
           !(toks_[k].depth == d && (toks_[k].kind == Tok::Semicolon || kw(k, "union"))))
        ++k;
    remove(j);
    remove(j + 1);
    append_after(k - 1, " LIMIT " + std::string(count));
}

void Translator::handle_between(size_t at) {
    if (at == 0) return;
    size_t c = at - 1;
    if (kw(c, "not") && c > 0) --c;
    if (!is_name(c)) return;
    const std::string_view qualifier =
        c >= 2 && is(c - 1, Tok::Dot) && is_name(c - 2) ? name(c - 2) : std::string_view();
    if (!(is(at + 1, Tok::String) && may_be_date(text(at + 1))) &&
        !(is(at + 3, Tok::String) && may_be_date(text(at + 3))))
        return;
    if (!date_column_in_statement(qualifier, name(c))) return;
    if (is(at + 1, Tok::String)) normalise_string_token(at + 1);
    if (kw(at + 2, "and") && is(at + 3, Tok::String)) normalise_string_token(at + 3);
}

void Translator::handle_compared_string(size_t i) {
    std::string_view qualifier, column;
    if (i >= 2 && is(i - 1, Tok::Op) && is_comparison(text(i - 1)) && !toks_[i - 1].assignment &&
        is_name(i - 2)) {
        column = name(i - 2);
        if (i >= 4 && is(i - 3, Tok::Dot) && is_name(i - 4)) qualifier = name(i - 4);
    } else if (is(i + 1, Tok::Op) && is_comparison(text(i + 1)) && is_name(i + 2)) {
        if (is(i + 3, Tok::Dot) && is_name(i + 4)) {
            if (is(i + 5, Tok::LParen)) return;
            qualifier = name(i + 2);
            column = name(i + 4);
        } else {
            if (is(i + 3, Tok::LParen)) return;
            column = name(i + 2);
        }
    } else {
        return;
    }
    if (date_column_in_statement(qualifier, column)) normalise_string_token(i);
}

bool Translator::date_column_in_statement(std::string_view qualifier, std::string_view column) {
    if (!facts_.is_date_column_anywhere(column)) return false;
    if (!qualifier.empty() && facts_.has_table(qualifier))
        return facts_.is_date_column(qualifier, column);
    if (!tables_known_) {
        tables_known_ = true;
        for (size_t k = 0; k < toks_.size(); ++k)
            if (is_name(k) && facts_.has_table(name(k))) tables_.emplace_back(name(k));
    }
    if (tables_.empty()) return true;
    for (const std::string& t : tables_)
        if (facts_.is_date_column(t, column)) return true;
    return false;
}

void Translator::normalise_string_token(size_t i) {
    const std::string_view body = text(i).substr(1, toks_[i].len - 2);
    if (body.find('\'') != std::string_view::npos) return;
    if (normalise_date_text(body, scratch_) && scratch_ != body) replace(i, "'" + scratch_ + "'");
}

bool join_word(std::string_view w) {
    static const char* const words[] = {"inner", "left",  "right", "outer", "join",
                                        "on",    "cross", "full",  "set",   "where"};
    for (const char* s : words)
        if (equals_ci(w, s)) return true;
    return false;
}

void Translator::build_multi_table_update(size_t set_at, size_t where_at, size_t end) {
    // The tables of the update: "A, B", "A, (select ...) as T1", "A inner join B on ...".
    struct Ref {
        size_t at = 0;
        bool subquery = false;
        size_t alias = 0;  // 0: none
    };
    std::vector<Ref> refs;
    bool expect_ref = true;
    for (size_t i = 1; i < set_at;) {
        if (expect_ref) {
            Ref r;
            r.at = i;
            if (is(i, Tok::LParen)) {
                r.subquery = true;
                i = matching_paren(i) + 1;
            } else if (is_name(i) && !(is(i, Tok::Word) && join_word(text(i)))) {
                ++i;
            } else {
                fail("Syntax error in UPDATE: a table is missing.");
                return;
            }
            if (kw(i, "as")) ++i;
            if (i < set_at && is_name(i) && !(is(i, Tok::Word) && join_word(text(i))))
                r.alias = i++;
            refs.push_back(r);
            expect_ref = false;
            continue;
        }
        if (toks_[i].depth == 0 && (is(i, Tok::Comma) || kw(i, "join"))) expect_ref = true;
        ++i;
    }
    // The SET items.
    struct Item {
        size_t column;
        size_t value_begin, value_end;
        std::string_view qualifier;
    };
    std::vector<Item> items;
    size_t item = set_at + 1;
    for (size_t k = set_at + 1; k <= where_at; ++k) {
        const bool boundary = k == where_at || (toks_[k].kind == Tok::Comma && toks_[k].depth == 0);
        if (!boundary) continue;
        size_t eq = item;
        while (eq < k && !toks_[eq].assignment) ++eq;
        if (eq == item + 3 && is_name(item) && is(item + 1, Tok::Dot) && is_name(item + 2)) {
            items.push_back({item + 2, eq + 1, k, name(item)});
        } else if (eq == item + 1 && is_name(item)) {
            items.push_back({item, eq + 1, k, {}});
        } else {
            fail("Syntax error in UPDATE: each SET item is <column> = <value>.");
            return;
        }
        if (items.back().value_begin >= items.back().value_end) {
            fail("Syntax error in UPDATE: a SET item has no value.");
            return;
        }
        item = k + 1;
    }
    if (refs.empty() || items.empty()) {
        fail("Syntax error in UPDATE.");
        return;
    }
    const std::string qualifier = SchemaFacts::fold(items.front().qualifier);
    for (const Item& it : items)
        if (SchemaFacts::fold(it.qualifier) != qualifier) {
            fail("An UPDATE changes the columns of one table only.");
            return;
        }
    const Ref* target = &refs.front();
    if (!qualifier.empty()) {
        target = nullptr;
        for (const Ref& r : refs) {
            const bool hit = r.alias ? SchemaFacts::fold(name(r.alias)) == qualifier
                                     : !r.subquery && SchemaFacts::fold(name(r.at)) == qualifier;
            if (hit) {
                target = &r;
                break;
            }
        }
    }
    if (!target || target->subquery) {
        fail("The table an UPDATE changes must be a table of the database.");
        return;
    }
    const std::string table = render(target->at, target->at + 1);
    const std::string row_ref = target->alias ? render(target->alias, target->alias + 1) : table;

    // Jet's joined update through a join SQLite plans well (correlated subqueries over the
    // joined table would scan it once per row): collect the new values per row of the target,
    // then update those rows by rowid. Several matches: the last one wins.
    const std::string scratch = "temp.jet_update_rows";
    std::string create = "CREATE TEMP TABLE jet_update_rows (rid INTEGER PRIMARY KEY";
    std::string fill = "INSERT OR REPLACE INTO " + scratch + " SELECT " + row_ref + ".rowid";
    std::string update = "UPDATE " + table + " SET ";
    for (size_t k = 0; k < items.size(); ++k) {
        const std::string v = "v" + std::to_string(k + 1);
        create += ", " + v;
        fill += ", " + render(items[k].value_begin, items[k].value_end);
        if (k) update += ", ";
        update += render(items[k].column, items[k].column + 1) + "=(SELECT " + v + " FROM " +
                  scratch + " WHERE rid=" + table + ".rowid)";
    }
    create += ")";
    fill += " FROM " + render(1, set_at);
    if (where_at < end) fill += " WHERE " + render(where_at + 1, end);
    update += " WHERE rowid IN (SELECT rid FROM " + scratch + ")";
    out_.kind = JetStatement::Kind::MultiTableUpdate;
    out_.table.assign(name(target->at));
    out_.steps = {create, fill, update, "DROP TABLE " + scratch};
    out_.update_step = 2;
    out_.sql.clear();
}

}  // namespace

void translate_jet_statement(std::string_view jet_utf8, const SchemaFacts& facts,
                             JetStatement& out) {
    Translator(jet_utf8, facts, out).run();
}

JetStatement translate_jet_statement(const QString& jet, const SchemaFacts& facts) {
    const QByteArray utf8 = jet.toUtf8();
    JetStatement out;
    translate_jet_statement(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())),
                            facts, out);
    return out;
}

QString translate_jet_sql(const QString& jet, const SchemaFacts& facts) {
    const JetStatement s = translate_jet_statement(jet, facts);
    auto q = [](const std::string& t) {
        return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
    };
    switch (s.kind) {
        case JetStatement::Kind::Plain:
            return q(s.sql);
        case JetStatement::Kind::SelectInto:
            return QStringLiteral("INTO ") + q(s.table) + QStringLiteral(": ") + q(s.sql);
        case JetStatement::Kind::MultiTableUpdate: {
            QStringList steps;
            for (const std::string& step : s.steps) steps << q(step);
            return steps.join(QStringLiteral(";\n"));
        }
        case JetStatement::Kind::ExcelRead:
            return QStringLiteral("EXCEL READ ") + q(s.file) + QStringLiteral(" | ") + q(s.sheet) +
                   QStringLiteral(" -> ") + q(s.table);
        case JetStatement::Kind::ExcelWrite:
            return QStringLiteral("EXCEL WRITE ") + q(s.file) + QStringLiteral(" | ") + q(s.sheet) +
                   QStringLiteral(" <- ") + q(s.sql);
        case JetStatement::Kind::Invalid:
            return QStringLiteral("ERROR: ") + q(s.error);
    }
    return QString();
}

}  // namespace platform
