#pragma once

#include "core/ports/IniSource.h"

#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace kestrova {

// An integer as configuration files write it: decimal with an optional sign, or hexadecimal after
// "0x" (up to 32 bits; 0xFFFFFFFF reads as -1). Nothing for anything else, out-of-range numbers
// included.
std::optional<std::int32_t> ParseIniInteger(const QString& text);

// Typed reading of the entries of a configuration file. Section and key names match without regard
// to case and are taken literally otherwise ("\" and ":" are plain characters). When a key occurs
// more than once in a section (a section may be written more than once), the first value counts.
// Missing keys and values that are not integers give the default.
class IniReader {
public:
    IniReader() = default;
    explicit IniReader(const std::vector<IniEntry>& entries);

    // A section exists when at least one key stands in it.
    bool sectionExists(const QString& section) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    std::int32_t readInteger(const QString& section, const QString& key, std::int32_t defaultValue = 0) const;
    // Stored as an integer: 0 is false, any other integer true.
    bool readBool(const QString& section, const QString& key, bool defaultValue = false) const;

private:
    const QString* find(const QString& section, const QString& key) const;

    QHash<QString, QHash<QString, QString>> m_sections; // names case-folded
};

} // namespace kestrova
