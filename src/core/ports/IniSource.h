#pragma once

#include <QString>
#include <vector>

namespace kestrova {

// One "key=value" line of a sectioned configuration file, with the section it stands in.
struct IniEntry {
    QString section;
    QString key;
    QString value;
};

// Reads the syntax of a sectioned configuration (INI) file: section headers, "key=value" lines,
// comments. Entries come in file order, names and values trimmed but otherwise as written, every
// occurrence of a repeated key included. What the entries mean is for the caller to decide.
class IniSource {
public:
    virtual ~IniSource() = default;

    // Fills entries from the file at path. False, with a reason in error, when the file cannot be
    // read; entries is then empty.
    virtual bool readEntries(const QString& path, std::vector<IniEntry>& entries, QString& error) const = 0;
};

} // namespace kestrova
