#include "core/store/MediaCheck.h"

#include "core/ports/PageImage.h"
#include "core/ports/ZipArchive.h"
#include "core/store/ImageExtensions.h"
#include "core/store/SignedMessage.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrova {

namespace {

// The codec reads files: an image is written to a scratch file of its own and loaded from there.
bool Loads(const ImageCodec& codec, const QString& scratch, const QString& name, const QByteArray& data) {
    const QString file = scratch + QStringLiteral("/image") + name.mid(name.lastIndexOf(QLatin1Char('.'))).toLower();
    QFile out(file);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(data) == data.size();
    out.close();
    const bool ok = written && codec.loadPage(file, 0, 1);
    QFile::remove(file);
    return ok;
}

struct ZipReport {
    QString relative;    // the zip file's path below the medium
    QStringList entries; // entry names
    QStringList problems;
};

ZipReport CheckZip(const QString& mediaDir, const QString& path, const ZipFactory& zips, const ImageCodec& codec,
                   const Smime& smime, const QString& scratch) {
    ZipReport report;
    report.relative = QDir(mediaDir).relativeFilePath(path);
    QString error;
    const std::unique_ptr<ZipArchive> zip = zips.open(path, error);
    if (!zip) {
        report.problems << report.relative + QStringLiteral(": not a readable zip file: ") + error;
        return report;
    }
    report.entries = zip->entryNames();
    for (const QString& entry : report.entries) {
        const QString where = report.relative + QStringLiteral(": ") + entry + QStringLiteral(": ");
        QByteArray data;
        const Status read = zip->read(entry, data);
        if (!read) {
            report.problems << where + QStringLiteral("cannot be extracted: ") + read.error();
            continue;
        }
        const QString ext = entry.mid(entry.lastIndexOf(QLatin1Char('.'))).toLower();
        if (ext == QLatin1String(".eml")) {
            const Result<MessageImage> image = ReadSignedImage(smime, data);
            if (!image) {
                report.problems << where + QStringLiteral("signed message does not verify: ") + image.error();
            } else if (!Loads(codec, scratch, image.value().fileName, image.value().data)) {
                report.problems << where + QStringLiteral("the image of the signed message does not load");
            }
        } else if (std::find(ImageExtensions.begin(), ImageExtensions.end(), ext) != ImageExtensions.end()) {
            if (!Loads(codec, scratch, entry, data)) report.problems << where + QStringLiteral("image does not load");
        } else {
            report.problems << where + QStringLiteral("not an image or signed message");
        }
    }
    return report;
}

} // namespace

MediaCheckResult CheckMedia(const QString& mediaDir, const ZipFactory& zips, const ImageCodec& codec,
                            const Smime& smime, int threads) {
    MediaCheckResult result;
    const QString root = QDir(mediaDir).absolutePath();
    if (!QFileInfo(root).isDir()) {
        result.problems << root + QStringLiteral(": not a directory");
        return result;
    }
    QStringList zipPaths, summaries;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(root).relativeFilePath(path);
        if (path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive) && !it.fileName().startsWith(QLatin1Char('.')))
            zipPaths << path;
        else if (rel.startsWith(QLatin1String("summary/")) && rel.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
            summaries << path;
    }
    zipPaths.sort();
    summaries.sort();
    result.zipFiles = static_cast<int>(zipPaths.size());

    std::vector<ZipReport> reports(zipPaths.size());
    std::atomic<qsizetype> next{0};
    QTemporaryDir scratchRoot;
    auto worker = [&](int n) {
        const QString scratch = scratchRoot.path() + QStringLiteral("/w") + QString::number(n);
        QDir().mkpath(scratch);
        for (qsizetype i = next++; i < zipPaths.size(); i = next++)
            reports[i] = CheckZip(root, zipPaths[i], zips, codec, smime, scratch);
    };
    const int workers = std::clamp(threads, 1, static_cast<int>(std::max<qsizetype>(1, zipPaths.size())));
    std::vector<std::thread> pool;
    for (int n = 1; n < workers; ++n) pool.emplace_back(worker, n);
    worker(0);
    for (std::thread& t : pool) t.join();

    // What the medium holds: zip file name (without ".zip") -> entry names without extension.
    QHash<QString, QSet<QString>> held;
    for (const ZipReport& r : reports) {
        result.entries += static_cast<int>(r.entries.size());
        result.problems << r.problems;
        QSet<QString>& names = held[QFileInfo(r.relative).completeBaseName().toLower()];
        for (const QString& e : r.entries) names.insert(e.left(e.lastIndexOf(QLatin1Char('.'))).toLower());
    }
    if (summaries.isEmpty()) return result;

    // Summary lines: SeqNumber,DocDefn,ReqID,...,CDLabel,Zipname,...
    QHash<QString, QSet<QString>> listed;
    for (const QString& path : summaries) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            result.problems << QDir(root).relativeFilePath(path) + QStringLiteral(": cannot be read");
            continue;
        }
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString line = QString::fromUtf8(lines[i]).trimmed();
            if (line.isEmpty()) continue;
            const QStringList f = line.split(QLatin1Char(','));
            if (f.size() < 11) {
                result.problems << QDir(root).relativeFilePath(path) +
                                       QStringLiteral(": line %1 is not a summary row").arg(i + 1);
                continue;
            }
            ++result.summaryRows;
            const QString key = (f[2] + QLatin1Char('~') + f[1]).toLower();
            const QString zip = f[7].toLower();
            listed[zip].insert(key);
            if (!held.value(zip).contains(key))
                result.problems << f[7] + QStringLiteral(".zip: ") + f[2] + QLatin1Char('~') + f[1] +
                                       QStringLiteral(": listed in the summary but not on the medium");
        }
    }
    for (const ZipReport& r : reports) {
        const QString zip = QFileInfo(r.relative).completeBaseName().toLower();
        for (const QString& e : r.entries) {
            if (!listed.value(zip).contains(e.left(e.lastIndexOf(QLatin1Char('.'))).toLower()))
                result.problems << r.relative + QStringLiteral(": ") + e + QStringLiteral(": not in the summary");
        }
    }
    return result;
}

} // namespace kestrova
