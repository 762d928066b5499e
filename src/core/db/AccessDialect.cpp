#include "core/db/AccessDialect.h"

#include "core/db/DbValues.h"

#include <QSet>

namespace kestrova {

namespace {

enum class Tok { Space, Word, Number, String, Bracket, Param, Symbol };

struct Token {
    Tok kind;
    QString text; // as written; for String and Bracket the content without delimiters
};

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Splits the statement into tokens; fails on an unterminated string or bracket.
bool Tokenize(const QString& s, QVector<Token>& out, QString& error) {
    int i = 0;
    const int n = static_cast<int>(s.size());
    while (i < n) {
        const QChar c = s.at(i);
        int j = i + 1;
        if (c.isSpace()) {
            while (j < n && s.at(j).isSpace()) ++j;
            out.push_back({Tok::Space, s.mid(i, j - i)});
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            QString content;
            bool closed = false;
            while (j < n) {
                if (s.at(j) == c) {
                    if (j + 1 < n && s.at(j + 1) == c) { // a doubled delimiter stands for itself
                        content += c;
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                content += s.at(j++);
            }
            if (!closed) {
                error = QStringLiteral("Syntax error: unterminated text constant in the statement.");
                return false;
            }
            out.push_back({Tok::String, content});
        } else if (c == QLatin1Char('[')) {
            const int close = static_cast<int>(s.indexOf(QLatin1Char(']'), j));
            if (close < 0) {
                error = QStringLiteral("Syntax error: \"[\" without \"]\" in the statement.");
                return false;
            }
            out.push_back({Tok::Bracket, s.mid(j, close - j)});
            j = close + 1;
        } else if (c == QLatin1Char(':') && j < n && s.at(j) == QLatin1Char(':')) {
            out.push_back({Tok::Symbol, QStringLiteral("::")}); // a server's cast, no parameter
            ++j;
        } else if (c == QLatin1Char(':') && j < n && IsWordStart(s.at(j))) {
            while (j < n && IsWordChar(s.at(j))) ++j;
            out.push_back({Tok::Param, s.mid(i + 1, j - i - 1)});
        } else if (IsWordStart(c)) {
            while (j < n && IsWordChar(s.at(j))) ++j;
            out.push_back({Tok::Word, s.mid(i, j - i)});
        } else if (c.isDigit()) {
            while (j < n && (s.at(j).isDigit() || s.at(j) == QLatin1Char('.'))) ++j;
            out.push_back({Tok::Number, s.mid(i, j - i)});
        } else {
            out.push_back({Tok::Symbol, QString(c)});
        }
        i = j;
    }
    return true;
}

QString QuoteText(const QString& text) {
    QString q = text;
    q.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + q + QLatin1Char('\'');
}

bool IsPlainIdentifier(const QString& s) {
    if (s.isEmpty() || !IsWordStart(s.at(0))) return false;
    for (QChar c : s)
        if (!IsWordChar(c)) return false;
    return true;
}

// The engine's column type for an Access type name, or empty when the word is no type name.
// "%1" stands for the column name, "%2" for the declared length.
QString EngineType(const QString& accessType, DbEngine engine, bool withLength) {
    const QString t = accessType.toLower();
    const bool pg = engine == DbEngine::PostgreSQL;
    static const QSet<QString> text = {QStringLiteral("text"), QStringLiteral("varchar"),  QStringLiteral("char"),
                                       QStringLiteral("memo"), QStringLiteral("longtext"), QStringLiteral("string")};
    static const QSet<QString> integer = {
        QStringLiteral("number"), QStringLiteral("integer"), QStringLiteral("int"),
        QStringLiteral("long"),   QStringLiteral("short"),   QStringLiteral("smallint"),
        QStringLiteral("byte"),   QStringLiteral("counter"), QStringLiteral("autoincrement")};
    static const QSet<QString> yesNo = {QStringLiteral("yesno"), QStringLiteral("bit"), QStringLiteral("logical"),
                                        QStringLiteral("boolean")};
    static const QSet<QString> dateTime = {QStringLiteral("datetime"), QStringLiteral("date"), QStringLiteral("time")};
    static const QSet<QString> real = {QStringLiteral("double"), QStringLiteral("float"), QStringLiteral("single"),
                                       QStringLiteral("real"), QStringLiteral("currency")};
    if (text.contains(t)) {
        QString type = pg ? QStringLiteral("citext") : QStringLiteral("TEXT COLLATE NOCASE");
        if (withLength)
            type += pg ? QStringLiteral(" CHECK (char_length(%1) <= %2)") : QStringLiteral(" CHECK (length(%1) <= %2)");
        return type;
    }
    if (integer.contains(t)) return pg ? QStringLiteral("integer") : QStringLiteral("INTEGER");
    if (yesNo.contains(t))
        return pg ? QStringLiteral("boolean NOT NULL DEFAULT false") : QStringLiteral("BOOLEAN NOT NULL DEFAULT 0");
    if (dateTime.contains(t)) return pg ? QStringLiteral("timestamp") : QStringLiteral("DATETIME");
    if (real.contains(t)) return pg ? QStringLiteral("double precision") : QStringLiteral("REAL");
    return QString();
}

bool IsDdlKeyword(const QString& w) {
    static const QSet<QString> words = {QStringLiteral("add"),    QStringLiteral("column"), QStringLiteral("table"),
                                        QStringLiteral("alter"),  QStringLiteral("create"), QStringLiteral("if"),
                                        QStringLiteral("not"),    QStringLiteral("exists"), QStringLiteral("primary"),
                                        QStringLiteral("unique"), QStringLiteral("key"),    QStringLiteral("null")};
    return words.contains(w.toLower());
}

class Translator {
public:
    Translator(const QVector<Token>& tokens, DbEngine engine, DialectTranslation& out)
        : m_t(tokens), m_engine(engine), m_out(out) {}

    void run() {
        const int first = nextSignificant(-1);
        const QString firstWord = first >= 0 ? m_t[first].text.toLower() : QString();
        m_ddl = firstWord == QLatin1String("alter") || firstWord == QLatin1String("create");
        for (int i = 0; i < m_t.size(); ++i) i = emitToken(i);
    }

private:
    int nextSignificant(int from) const {
        for (int i = from + 1; i < m_t.size(); ++i)
            if (m_t[i].kind != Tok::Space) return i;
        return -1;
    }
    int prevSignificant(int from) const {
        for (int i = from - 1; i >= 0; --i)
            if (m_t[i].kind != Tok::Space) return i;
        return -1;
    }
    bool afterLike(int i) const {
        const int p = prevSignificant(i);
        return p >= 0 && m_t[p].kind == Tok::Word &&
               m_t[p].text.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0;
    }

    // Emits token i (and any it consumes); returns the index of the last token used.
    int emitToken(int i) {
        const Token& t = m_t[i];
        switch (t.kind) {
        case Tok::String:
            if (afterLike(i)) {
                bool escaped = false;
                const QString pattern = AccessLikePattern(t.text, &escaped);
                m_out.sql += QuoteText(i == m_loweredPattern ? pattern.toLower() : pattern);
                if (escaped) m_out.sql += QStringLiteral(" ESCAPE '\\'");
            } else {
                m_out.sql += QuoteText(t.text);
            }
            return i;
        case Tok::Param:
            m_out.sql += QLatin1Char('?');
            m_out.parameters << t.text;
            m_out.likePatterns << afterLike(i);
            if (afterLike(i)) m_out.sql += QStringLiteral(" ESCAPE '\\'");
            return i;
        case Tok::Bracket:
            emitBracket(t.text);
            return i;
        case Tok::Word:
            return emitWord(i);
        default:
            m_out.sql += t.text;
            return i;
        }
    }

    void emitBracket(const QString& content) {
        if (const auto date = ParseDateTimeText(content)) {
            const QString text = QuoteText(DateTimeText(*date));
            m_out.sql += m_engine == DbEngine::PostgreSQL ? QStringLiteral("TIMESTAMP ") + text : text;
        } else if (IsPlainIdentifier(content)) {
            m_out.sql += content;
        } else {
            QString id = m_engine == DbEngine::PostgreSQL ? content.toLower() : content;
            id.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            m_out.sql += QLatin1Char('"') + id + QLatin1Char('"');
        }
    }

    static bool IsPrefixPattern(const QString& access) {
        // "X*": a fixed beginning (no wildcard, no bracket) and one "*" at the end.
        if (access.size() < 2 || !access.endsWith(QLatin1Char('*'))) return false;
        for (qsizetype k = 0; k + 1 < access.size(); ++k) {
            const QChar c = access.at(k);
            if (c == QLatin1Char('*') || c == QLatin1Char('?') || c == QLatin1Char('[') || c == QLatin1Char('#'))
                return false;
        }
        return true;
    }

    // On a server: "column like "X*"" becomes "lower(column::text) like 'x%'", which an index on
    // lower(column::text) with text_pattern_ops serves (a column that ignores letter case
    // cannot use its own index for like). The same rows match. Returns the last token used, or
    // -1 when the word is no such column.
    int emitPrefixLike(int i) {
        static const QSet<QString> keywords = {
            QStringLiteral("not"),   QStringLiteral("and"),  QStringLiteral("or"),
            QStringLiteral("where"), QStringLiteral("when"), QStringLiteral("then"),
            QStringLiteral("else"),  QStringLiteral("on"),   QStringLiteral("having")};
        if (keywords.contains(m_t[i].text.toLower())) return -1;
        int last = i;
        int next = nextSignificant(i);
        if (next >= 0 && m_t[next].kind == Tok::Symbol && m_t[next].text == QLatin1String(".")) {
            const int column = nextSignificant(next);
            if (column < 0 || m_t[column].kind != Tok::Word) return -1;
            last = column;
            next = nextSignificant(column);
        }
        if (next < 0 || m_t[next].kind != Tok::Word ||
            m_t[next].text.compare(QLatin1String("like"), Qt::CaseInsensitive) != 0)
            return -1;
        const int pattern = nextSignificant(next);
        if (pattern < 0 || m_t[pattern].kind != Tok::String || !IsPrefixPattern(m_t[pattern].text)) return -1;
        QString column;
        for (int k = i; k <= last; ++k) column += m_t[k].text;
        m_out.sql += QStringLiteral("lower(") + column + QStringLiteral("::text)");
        m_loweredPattern = pattern;
        return last;
    }

    int emitWord(int i) {
        const QString lower = m_t[i].text.toLower();
        const int prev = prevSignificant(i);
        const bool qualified = prev >= 0 && m_t[prev].kind == Tok::Symbol && m_t[prev].text == QLatin1String(".");
        if (m_engine == DbEngine::PostgreSQL && !m_ddl && !qualified) {
            const int last = emitPrefixLike(i);
            if (last >= 0) return last;
        }
        if (!qualified && (lower == QLatin1String("true") || lower == QLatin1String("false"))) {
            const bool value = lower == QLatin1String("true");
            if (m_engine == DbEngine::PostgreSQL)
                m_out.sql += value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            else
                m_out.sql += value ? QStringLiteral("1") : QStringLiteral("0");
            return i;
        }
        if (m_ddl && prev >= 0 && m_t[prev].kind == Tok::Word && !IsDdlKeyword(m_t[prev].text)) {
            // "Text (40)": the optional length follows the type name.
            int last = i;
            QString length;
            const int open = nextSignificant(i);
            if (open >= 0 && m_t[open].text == QLatin1String("(")) {
                const int num = nextSignificant(open);
                const int close = num >= 0 ? nextSignificant(num) : -1;
                if (num >= 0 && m_t[num].kind == Tok::Number && close >= 0 && m_t[close].text == QLatin1String(")")) {
                    length = m_t[num].text;
                    last = close;
                }
            }
            QString type = EngineType(lower, m_engine, !length.isEmpty());
            if (!type.isEmpty()) {
                if (!length.isEmpty()) type = type.arg(m_t[prev].text, length);
                m_out.sql += type;
                return last;
            }
        }
        m_out.sql += m_t[i].text;
        return i;
    }

    const QVector<Token>& m_t;
    DbEngine m_engine;
    DialectTranslation& m_out;
    bool m_ddl = false;
    int m_loweredPattern = -1; // the token of a like pattern to send in lower case
};

} // namespace

QString AccessLikePattern(const QString& access, bool* escaped) {
    QString out;
    bool esc = false;
    auto literal = [&](QChar c) {
        if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            esc = true;
        }
        out += c;
    };
    for (int i = 0; i < access.size(); ++i) {
        const QChar c = access.at(i);
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('[') && i + 2 < access.size() && access.at(i + 2) == QLatin1Char(']')) {
            literal(access.at(i + 1)); // "[*]", "[?]", "[#]", "[[]": the character itself
            i += 2;
        } else {
            literal(c);
        }
    }
    if (escaped) *escaped = esc;
    return out;
}

DialectTranslation TranslateAccessSql(const QString& access, DbEngine engine) {
    DialectTranslation result;
    QVector<Token> tokens;
    if (!Tokenize(access, tokens, result.error)) return result;
    Translator(tokens, engine, result).run();
    return result;
}

QStringList DistinctParameters(const DialectTranslation& translation) {
    QStringList names;
    for (const QString& p : translation.parameters) {
        bool seen = false;
        for (const QString& n : names) seen = seen || n.compare(p, Qt::CaseInsensitive) == 0;
        if (!seen) names << p;
    }
    return names;
}

} // namespace kestrova
