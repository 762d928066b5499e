#include "core/config/IniReader.h"

namespace kestrova {

namespace {

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> ParseIniInteger(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() > 2 && t[0] == QLatin1Char('0') && (t[1] == QLatin1Char('x') || t[1] == QLatin1Char('X'))) {
        std::uint64_t value = 0;
        for (qsizetype i = 2; i < t.size(); ++i) {
            const int d = HexDigit(t[i]);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<std::uint64_t>(d);
            if (value > 0xFFFFFFFFu) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) negative = t[i++] == QLatin1Char('-');
    if (i == t.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char16_t u = t[i].unicode();
        if (u < u'0' || u > u'9') return std::nullopt;
        value = value * 10 + (u - u'0');
        if (value > std::int64_t{2147483648}) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::int64_t{2147483647}) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

IniReader::IniReader(const std::vector<IniEntry>& entries) {
    for (const IniEntry& e : entries) {
        auto& keys = m_sections[e.section.toCaseFolded()];
        const QString key = e.key.toCaseFolded();
        if (!keys.contains(key)) keys.insert(key, e.value);
    }
}

const QString* IniReader::find(const QString& section, const QString& key) const {
    const auto s = m_sections.constFind(section.toCaseFolded());
    if (s == m_sections.constEnd()) return nullptr;
    const auto k = s->constFind(key.toCaseFolded());
    return k == s->constEnd() ? nullptr : &*k;
}

bool IniReader::sectionExists(const QString& section) const {
    const auto s = m_sections.constFind(section.toCaseFolded());
    return s != m_sections.constEnd() && !s->isEmpty();
}

QString IniReader::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    const QString* v = find(section, key);
    return v ? *v : defaultValue;
}

std::int32_t IniReader::readInteger(const QString& section, const QString& key, std::int32_t defaultValue) const {
    const QString* v = find(section, key);
    if (!v) return defaultValue;
    return ParseIniInteger(*v).value_or(defaultValue);
}

bool IniReader::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

} // namespace kestrova
