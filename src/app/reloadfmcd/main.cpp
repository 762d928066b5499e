// reloadfmcd: checks a backup medium on its own, years after it was written, without the station's
// database or setup file.
//
//   reloadfmcd [/v] DIRECTORY [--threads N]
//
// Every zip file below DIRECTORY is read and every entry checked (an image loads; a signed message
// verifies and the image it holds loads); the rows of the medium's summary files (summary/*.csv)
// are held against the entries. One line per problem on standard output, then a total. Exit
// status 0 only when everything checks, 1 when a problem was found, 2 on bad usage.
#include "core/store/MediaCheck.h"
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "platform/openssl/OpenSslSmime.h"
#include "platform/zip/LibzipArchive.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <thread>

namespace {

void Print(FILE* to, const QString& text) {
    std::fputs((text + QLatin1Char('\n')).toUtf8().constData(), to);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString dir;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    bool usage = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.compare(QLatin1String("/v"), Qt::CaseInsensitive) == 0 || a == QLatin1String("-v")) continue;
        if (a == QLatin1String("--threads") && i + 1 < args.size()) {
            bool ok = false;
            threads = args[++i].toInt(&ok);
            usage = usage || !ok || threads < 1;
        } else if (dir.isEmpty() && !a.startsWith(QLatin1String("--"))) {
            dir = a;
        } else {
            usage = true;
        }
    }
    if (usage || dir.isEmpty()) {
        Print(stderr, QStringLiteral("usage: reloadfmcd [/v] DIRECTORY [--threads N]"));
        return 2;
    }
    const kestrova::LibzipFactory zips;
    const kestrova::LeptonicaImageCodec codec;
    const kestrova::OpenSslSmime smime{QString()};
    const kestrova::MediaCheckResult result = kestrova::CheckMedia(dir, zips, codec, smime, threads);
    for (const QString& p : result.problems) Print(stdout, p);
    Print(stdout, QStringLiteral("%1 zip files, %2 entries, %3 summary rows: %4 problems")
                      .arg(result.zipFiles)
                      .arg(result.entries)
                      .arg(result.summaryRows)
                      .arg(result.problems.size()));
    return result.ok() ? 0 : 1;
}
