// kestrova decode-batch stopped dead at every step and run again: every page of the batch ends up
// written exactly once, as a decoded file or a problem page, with no temporary file left behind.
#include "platform/leptonica/LeptonicaImageCodec.h"
#include "support/BatchSketch.h"
#include "support/StationDir.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace kestrova;
using decodetest::PageSketch;

namespace {

// Codabar "A" + digits + the mod-10 check digit the station's barcode type asks for + "A".
QString CodabarWithCheck(const QString& digits) {
    int total = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        int value = digits[i].digitValue();
        if (i % 2 == 0) value = value * 2 >= 10 ? value * 2 - 9 : value * 2;
        total += value;
    }
    return QLatin1Char('A') + digits + QChar('0' + (10 - total % 10) % 10) + QLatin1Char('A');
}

PageSketch Form(const QStringList& requests, double textBottomMm, unsigned seed) {
    PageSketch page(150);
    double y = 15;
    for (const QString& request : requests) {
        page.symbol(QStringLiteral("CODABAR"), CodabarWithCheck(request), 30, y);
        y += 20;
    }
    return page.text(y + 10, textBottomMm, seed);
}

// Five pages: a named page, a problem page, a page with two request numbers (a file and its
// copy), a named page and another problem page.
const QStringList Requests = {"20260001", "20260003", "20260004", "20260005"};

// The batch as the scanner leaves it, drawn once for all tests.
const QByteArray& BatchBytes() {
    static const QByteArray bytes = [] {
        const LeptonicaImageCodec codec;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("batch.tif"));
        const QString error = decodetest::WriteBatch(path,
                                                     {Form({Requests[0]}, 250, 1), Form({}, 250, 2),
                                                      Form({Requests[1], Requests[2]}, 250, 3),
                                                      Form({Requests[3]}, 250, 4), Form({}, 120, 5)},
                                                     codec);
        EXPECT_EQ(error, QString());
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

QStringList Entries(const test::StationDir& station, const char* dir) {
    return QDir(station.path(QString::fromLatin1(dir)))
        .entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QByteArray Digest(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1) : QByteArray();
}

// Checks that the batch has been decoded once, whole: every request number named by one complete
// file, both problem pages set aside as an image with its reason file, nothing else anywhere.
void ExpectEveryPageOnce(const test::StationDir& station, const QString& trace) {
    SCOPED_TRACE(trace.toStdString());
    const LeptonicaImageCodec codec;
    const QStringList decoded = Entries(station, "decoded");
    QStringList named;
    const QRegularExpression decodedName(QStringLiteral("^(\\d{8})~REQS1[0-9A-F]{5}\\.tif$"));
    for (const QString& name : decoded) {
        const QRegularExpressionMatch m = decodedName.match(name);
        EXPECT_TRUE(m.hasMatch()) << name.toStdString();
        named << m.captured(1);
        const Result<int> pages = codec.pageCount(station.path("decoded/" + name));
        EXPECT_TRUE(pages && pages.value() == 1) << name.toStdString() << " " << pages.error().toStdString();
    }
    named.sort();
    EXPECT_EQ(named.join(' ').toStdString(), Requests.join(' ').toStdString());

    const QStringList problems = Entries(station, "problems");
    ASSERT_EQ(problems.size(), 4) << problems.join(' ').toStdString();
    for (int i = 0; i < 4; i += 2) {
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{17}\\.scn$")).match(problems[i]).hasMatch())
            << problems.join(' ').toStdString();
        EXPECT_EQ(problems[i + 1], problems[i].chopped(4) + ".tif") << problems.join(' ').toStdString();
    }
    EXPECT_NE(Digest(station.path("problems/" + problems[1])), Digest(station.path("problems/" + problems[3])));

    EXPECT_EQ(Entries(station, "scan").join(' ').toStdString(),
              "qvimageset.tif qvimageset.tif.progress qvimageset.tif.summary");
}

const QString Summary = QStringLiteral("Scan Size   :29.70cm\nResolution  :150 dpi\nTotal Pages :5\n29cm Pages  : 5");

struct Station : test::StationDir {
    Station() {
        EXPECT_TRUE(replaceInSetup("25|Image per Barcode|no|", "25|Image per Barcode|yes|"));
        QFile batch(path("scan/qvimageset.tif"));
        EXPECT_TRUE(batch.open(QIODevice::WriteOnly) && batch.write(BatchBytes()) == BatchBytes().size());
    }
    test::KestrovaRun decode(const QString& fault = {}) {
        faultPoint = fault;
        return test::RunKestrova(*this, {QStringLiteral("decode-batch")});
    }
};

TEST(DecodeResume, AKilledBatchContinuesWhereItStoppedAndWritesEveryPageOnce) {
    // Each sequence stops a run at one fault point after another, then runs to the end.
    std::vector<QStringList> sequences;
    for (const char* point : {"decode-page", "decode-page-begun", "temporary-written", "decode-file-written",
                              "decode-copy-partial", "decode-page-finished"}) {
        for (int pass = 1; pass <= 9; ++pass)
            sequences.push_back({QStringLiteral("%1#%2").arg(QString::fromLatin1(point)).arg(pass)});
    }
    sequences.push_back({"decode-file-written#3", "temporary-written"}); // killed again while recovering
    sequences.push_back({"decode-copy-partial", "decode-copy-partial"});
    sequences.push_back({"decode-file-written#2", "decode-page-begun", "decode-page-finished#3"});

    int kills = 0;
    for (const QStringList& sequence : sequences) {
        const QString trace = sequence.join(QStringLiteral(", "));
        Station station;
        bool reached = true;
        for (const QString& fault : sequence) {
            const test::KestrovaRun run = station.decode(fault);
            reached = reached && run.killed;
            if (!run.killed) break;
            ++kills;
        }
        // A point the batch never reaches that often needs no second run: its sequence has been
        // covered by the one before it.
        if (!reached && sequence.size() == 1) continue;
        EXPECT_TRUE(reached) << trace.toStdString();
        const test::KestrovaRun last = station.decode();
        ASSERT_EQ(last.exitCode, 0) << trace.toStdString() << last.out.toStdString() << last.err.toStdString();
        EXPECT_FALSE(last.out.contains(QStringLiteral("Sorting.."))) << last.out.toStdString();
        EXPECT_TRUE(last.out.trimmed().endsWith(Summary)) << trace.toStdString() << "\n" << last.out.toStdString();
        ExpectEveryPageOnce(station, trace);
    }
    EXPECT_GE(kills, 5 + 5 + 5 + 8 + 1 + 5);
}

TEST(DecodeResume, ADecodedBatchIsNotWrittenAgainAndANewScanStartsAFreshBatch) {
    Station station;
    ASSERT_TRUE(station.decode(QStringLiteral("decode-page#4")).killed);
    const test::KestrovaRun resumed = station.decode();
    EXPECT_TRUE(resumed.out.contains(QStringLiteral("Continuing the batch at page 4."))) << resumed.out.toStdString();
    // The notice and one log line for each of pages 4 and 5.
    EXPECT_EQ(resumed.out.count(QStringLiteral(": +")), 3) << resumed.out.toStdString();
    EXPECT_TRUE(resumed.out.trimmed().endsWith(Summary)) << resumed.out.toStdString();
    ExpectEveryPageOnce(station, "resumed");

    // Decoding the finished batch again writes nothing and says so.
    const QStringList before = Entries(station, "decoded") + Entries(station, "problems");
    const test::KestrovaRun again = station.decode();
    EXPECT_EQ(again.exitCode, 0);
    const QStringList lines = again.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 5) << again.out.toStdString();
    EXPECT_TRUE(lines[0].endsWith(": +The batch has already been decoded.")) << again.out.toStdString();
    EXPECT_EQ(lines.mid(1).join('\n'), Summary);
    EXPECT_EQ(Entries(station, "decoded") + Entries(station, "problems"), before);

    // A scan writes a new image-set file (here from a folder holding the same pages): its journal
    // is gone and the new batch is decoded whole.
    const QString feed = station.path("feed");
    ASSERT_TRUE(QDir().mkpath(feed));
    ASSERT_TRUE(QFile::copy(station.path("scan/qvimageset.tif"), feed + "/batch.tif"));
    const test::KestrovaRun scan =
        test::RunKestrova(station, {QStringLiteral("scan"), QStringLiteral("--folder"), feed});
    ASSERT_EQ(scan.exitCode, 0) << scan.out.toStdString() << scan.err.toStdString();
    EXPECT_EQ(Entries(station, "scan").join(' ').toStdString(), "qvimageset.tif");
    const test::KestrovaRun fresh = station.decode();
    EXPECT_EQ(fresh.exitCode, 0) << fresh.out.toStdString();
    EXPECT_FALSE(fresh.out.contains(QStringLiteral("already"))) << fresh.out.toStdString();
    EXPECT_EQ(Entries(station, "decoded").size(), 8);
    EXPECT_EQ(Entries(station, "problems").size(), 8);
}

} // namespace
