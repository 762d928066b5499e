#pragma once

#include <QString>
#include <QStringList>

namespace kestrova {

// The station file "scanner.conf" in the program directory: which source the station scans
// from and what it remembers of its scanner. Lines are "key = value"; "[section]" starts keys
// named "section/key"; "#" starts a comment line. Saving changes only the lines of the keys set
// and keeps everything else as it was.
//
//   source = sane            # sane (default) or folder
//   device = test:0          # SANE device; written by "Set Interface"
//   folder = feeder          # folder feeder: where page images are dropped (relative: program directory)
//   [sane]
//   source = Automatic Document Feeder
//   mode = Lineart
//   resolution = 200
//   page-size = A4
//   options = test-picture=Grid; depth=1    # further device options, "name=value" separated by ";"
class ScannerConf {
public:
    static constexpr const char* FileName = "scanner.conf";

    ScannerConf() = default;
    // Reads path; a missing file is an empty configuration (not an error). Returns false with
    // error() set when the file exists but cannot be read.
    bool load(const QString& path);
    // Writes the file back; false with error() set when it cannot be written.
    bool save();

    QString path() const { return m_path; }
    void setPath(const QString& path) { m_path = path; }
    QString error() const { return m_error; }

    QString value(const QString& key, const QString& fallback = QString()) const;
    void setValue(const QString& key, const QString& value);

    // "sane" or "folder" (anything else reads as "sane").
    QString source() const;
    // The feeder folder as an absolute path with a trailing "/", relative names taken from programDir.
    QString feederFolder(const QString& programDir) const;

private:
    int find(const QString& key) const;
    static QString keyOf(const QString& line, QString& section);

    QString m_path;
    QString m_error;
    QStringList m_lines;
};

} // namespace kestrova
