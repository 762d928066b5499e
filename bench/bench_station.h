#pragma once

// The station of the store, database and decode benchmarks: a temporary directory holding the
// station's working directories, and the setup file that names them.

#include "core/ports/ConsolePrompter.h"
#include "core/station/Station.h"

#include <QDir>
#include <QTemporaryDir>
#include <initializer_list>
#include <span>

namespace kestrova::bench {

// The reader's ranges and the station's mode, image format and scanner: every benchmark station's.
inline const char* const StationOptions[] = {
    "10|Narrow Bar Range|2,6|",  "11|Wide Bar Range|7,15|",     "12|Double and Quad Wide Ranges|16,20,21,26|",
    "13|Number of Digits|6,12|", "14|Minimum Page Height|270|", "15|Barcode Types|2156003388|",
    "16|Operating Mode|SINGLE|", "17|Image Format|TIFF4|",      "18|Scanner ID|S1|"};

// The rest of a station's options when it stores request forms.
inline const char* const RequestFormOptions[] = {"19|Image Sizes|100:100:0|", "22|Show LIS Counter|yes|",
                                                 "24|Colour Depth|1|", "200|Document|Request Form:REQ:2928:30:|"};

// The setup file of a station below root: its scan, problems, decoded, store and local
// directories (and with backup its backup destination), StationOptions, then the option lines.
inline QByteArray StationSetupText(const char* title, const QString& root, std::span<const char* const> options,
                                   bool backup = false) {
    QByteArray text = QByteArray("Kestrova Station Setup - ") + title + "\r\n\r\n";
    const auto line = [&text](const QString& s) { text += s.toUtf8() + "\r\n"; };
    line(QStringLiteral("1|Scan Directory|%1/scan/|").arg(root));
    line(QStringLiteral("2|Problems Directory|%1/problems/|").arg(root));
    line(QStringLiteral("3|Decoded Directory|%1/decoded/|").arg(root));
    line(QStringLiteral("5|View Image Destination|%1/store/**|").arg(root));
    line(QStringLiteral("6|Local Images|%1/local/|").arg(root));
    if (backup) line(QStringLiteral("7|Backup Destination|%1/backup/?|").arg(root));
    for (const char* l : StationOptions) line(QString::fromLatin1(l));
    for (const char* l : options) line(QString::fromLatin1(l));
    return text;
}

// A station in a temporary directory holding the folders named.
struct BenchStation {
    explicit BenchStation(std::initializer_list<const char*> folders) : station(prompter, clock) {
        for (const char* f : folders) QDir().mkpath(path(QLatin1String(f)));
    }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QTemporaryDir dir;
    ConsolePrompter prompter;
    SystemClock clock;
    Station station;
};

} // namespace kestrova::bench
