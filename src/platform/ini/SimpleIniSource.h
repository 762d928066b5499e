#pragma once

#include "core/ports/IniSource.h"

#include <QByteArray>

namespace kestrova {

// Reads configuration files with SimpleIni: "key=value" lines split at the first "=", names and
// values trimmed, ";" and "#" starting a comment only at the start of a line, lines of any length,
// CR LF or LF line ends, an optional UTF-8 byte order mark. Text is taken as UTF-8 when it is valid
// UTF-8, otherwise as Latin-1. NUL bytes read as blanks so that junk cannot end the file early.
class SimpleIniSource : public IniSource {
public:
    // Files larger than this are refused: configuration files are a few kilobytes.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    bool readEntries(const QString& path, std::vector<IniEntry>& entries, QString& error) const override;

    // The entries of a file's contents.
    static bool parse(QByteArray data, std::vector<IniEntry>& entries, QString& error);
};

} // namespace kestrova
