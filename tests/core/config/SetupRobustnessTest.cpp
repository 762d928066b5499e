#include "SetupFixture.h"

#include "core/config/SetupChecks.h"
#include "core/config/SetupFile.h"

#include <random>

using namespace kestrova;
using kestrova::test::SetupFileTest;

namespace {

// Whatever the bytes, the record the reader leaves behind keeps its invariants.
void ExpectSaneRecord(const Station& station, SetupOutcome outcome) {
    EXPECT_TRUE(outcome == SetupOutcome::Ok || outcome == SetupOutcome::EndNow ||
                outcome == SetupOutcome::EndAfterStartup);
    const setupinformation& s = station.setup().SetupInfo;
    EXPECT_EQ(s.DocDefCount, s.DocDefs.size());
    for (const docdefinition& d : s.DocDefs) {
        EXPECT_LE(d.DocName.size(), 20);
        EXPECT_LE(d.DocCode.size(), 10);
        EXPECT_TRUE(d.DocCode.startsWith(QLatin1Char('~')));
    }
    if (outcome == SetupOutcome::EndNow) return;
    for (int slot : {1, 2, 3, 4, 6, 9}) {
        const QString& dir = s.Directories[slot];
        EXPECT_TRUE(dir.isEmpty() || dir == DriveDisabled || dir.endsWith(QLatin1Char('/'))) << slot;
    }
    EXPECT_FALSE(s.Directories[7].contains(QLatin1Char('?')));
    EXPECT_GE(s.BarcodeTypes, 1);
    // Nothing the station builds paths from can be cut short or leave its folder.
    for (int slot = SlotScan; slot <= SlotSpare; ++slot) EXPECT_FALSE(HasControlCharacter(s.Directories[slot])) << slot;
    EXPECT_TRUE(IsSafeNamePart(s.ScannerId));
    for (const docdefinition& d : s.DocDefs) EXPECT_TRUE(IsSafeNamePart(d.DocCode));
}

} // namespace

// Random bytes, weighted towards the characters the format gives meaning to, never crash the
// reader; the checks decide what the result is worth.
TEST_F(SetupFileTest, RandomBytesNeverCrashTheReader) {
    t.prompter.allowAnyMessage();
    std::mt19937 random(20261208);
    const QByteArray alphabet("0123456789|,:~?/\r\n \t-+yYx\0\xe9\xc3\xff", 30);
    const QByteArray valid = lines.join("\r\n").toUtf8();
    for (int round = 0; round < 600; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            const int size = std::uniform_int_distribution<int>(0, 3000)(random);
            for (int i = 0; i < size; ++i) {
                const bool special = std::uniform_int_distribution<int>(0, 3)(random) > 0;
                bytes += special ? alphabet[std::uniform_int_distribution<int>(0, alphabet.size() - 1)(random)]
                                 : char(std::uniform_int_distribution<int>(0, 255)(random));
            }
        } else {
            // A valid file with a few bytes changed, dropped or cut off.
            bytes = valid;
            for (int edits = std::uniform_int_distribution<int>(1, 8)(random); edits > 0; --edits) {
                const int at = std::uniform_int_distribution<int>(0, int(bytes.size()) - 1)(random);
                switch (std::uniform_int_distribution<int>(0, 3)(random)) {
                case 0:
                    bytes[at] = alphabet[std::uniform_int_distribution<int>(0, alphabet.size() - 1)(random)];
                    break;
                case 1:
                    bytes.remove(at, 1);
                    break;
                case 2:
                    bytes.insert(at, char(std::uniform_int_distribution<int>(0, 255)(random)));
                    break;
                default:
                    bytes.truncate(at + 1);
                }
            }
        }
        SCOPED_TRACE(bytes.toHex().left(400).toStdString());
        ExpectSaneRecord(station, ReadSetupBytes(station, bytes));
        if (HasFailure()) return;
    }
}

TEST_F(SetupFileTest, VeryLongLinesAndBinaryBytes) {
    // Long lines, within the largest size of a setup file.
    const QString longDir = t.path("scan/") + QString(300'000, QLatin1Char('d'));
    set(1, longDir);
    set(5, QString(100'000, QLatin1Char('/')) + "**");
    set(200, QString(150'000, QLatin1Char('N')) + ":" + QString(150'000, QLatin1Char('C')) + ":1:2:acct");
    lines.append(QString(100'000, QLatin1Char('|')));
    lines.append(QString(100'000, QLatin1Char('7')) + "|x|y");
    QByteArray bytes = lines.join("\n").toUtf8();
    bytes.replace("Kestrova Station Setup", QByteArray("\0\x01\x02\xff\xfe binary", 14));
    bytes += QByteArray("\n300|d|Nul\0Name:NC:5:6:a\0b\n", 28);
    ASSERT_EQ(ReadSetupFile(station, write(bytes)), SetupOutcome::Ok);
    EXPECT_EQ(station.setup().SetupInfo.Directories[1], longDir + "/");
    EXPECT_EQ(station.setup().StoreMask, "**");
    ASSERT_EQ(station.setup().SetupInfo.DocDefs.size(), 2);
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocName, QString(20, QLatin1Char('N')));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[0].DocCode, "~" + QString(9, QLatin1Char('C')));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[1].DocName, QString::fromLatin1("Nul\0Name", 8));
    EXPECT_EQ(station.setup().SetupInfo.DocDefs[1].PageLength, 5);
    ExpectSaneRecord(station, SetupOutcome::Ok);
}

TEST_F(SetupFileTest, OversizedFileIsRefusedUnread) {
    QByteArray bytes = lines.join("\n").toUtf8() + "\n";
    bytes += QByteArray(MaxSetupFileBytes, 'x');
    bytes += "\n16|m|REMOTE|\n";
    t.prompter.expectMessage("Invalid Setup File");
    ASSERT_EQ(ReadSetupFile(station, write(bytes)), SetupOutcome::EndNow);
    ASSERT_EQ(t.prompter.shown().size(), 1u);
    EXPECT_TRUE(t.prompter.shown()[0].text.startsWith("The Setup File is larger than 1 MB!"));
    EXPECT_NE(station.setup().SetupInfo.StationMode, ModeRemote);
}
