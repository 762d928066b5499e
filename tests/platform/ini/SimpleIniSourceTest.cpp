#include "platform/ini/SimpleIniSource.h"
#include "IniTestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kestrova;

namespace {

struct Read {
    bool ok = false;
    QString error;
    std::vector<IniEntry> entries;
};

Read ReadFileBytes(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.ini");
    test::WriteBytes(path, bytes);
    Read r;
    r.ok = SimpleIniSource().readEntries(path, r.entries, r.error);
    return r;
}

QStringList Lines(const std::vector<IniEntry>& entries) {
    QStringList lines;
    for (const IniEntry& e : entries) lines << "[" + e.section + "] " + e.key + "=" + e.value;
    return lines;
}

} // namespace

TEST(SimpleIniSource, ReadsTheFormatAsTheConfigurationProgramWritesIt) {
    const Read r = ReadFileBytes("\xEF\xBB\xBF; written by the configuration program\r\n\r\n"
                                 "[Barcode Profiles\\Barcode Profile:0]\r\n"
                                 "Number of Digits Range: From=6\r\n"
                                 "  Codabar Narrow Bar Bit Range: To = 4 \r\n"
                                 "Extra Barcode Validation=R??? ;r???;# not a comment\n"
                                 "Empty=\n"
                                 "Equals=a=b\n"
                                 "# comment line\n"
                                 "line without an equals sign\n"
                                 "=no key\n"
                                 "[ Scanning ]\n"
                                 "Scanner ID=S1\n");
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(Lines(r.entries),
              (QStringList{"[Barcode Profiles\\Barcode Profile:0] Number of Digits Range: From=6",
                           "[Barcode Profiles\\Barcode Profile:0] Codabar Narrow Bar Bit Range: To=4",
                           "[Barcode Profiles\\Barcode Profile:0] Extra Barcode Validation=R??? "
                           ";r???;# not a comment",
                           "[Barcode Profiles\\Barcode Profile:0] Empty=",
                           "[Barcode Profiles\\Barcode Profile:0] Equals=a=b", "[Scanning] Scanner ID=S1"}));
}

TEST(SimpleIniSource, RepeatedSectionsAndKeysAreAllReportedInFileOrder) {
    const Read r = ReadFileBytes("[A]\nk=1\n[B]\nk=2\n[a]\nK=3\nj=4\n");
    ASSERT_TRUE(r.ok);
    QStringList values;
    for (const IniEntry& e : r.entries) values << e.section.toLower() + e.key.toLower() + e.value;
    EXPECT_EQ(values, (QStringList{"ak1", "bk2", "ak3", "aj4"}));
}

TEST(SimpleIniSource, LongLinesJunkAndForeignTextNeverCutTheFileShort) {
    const QByteArray longValue(100000, 'x');
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk.append(static_cast<char>((i * 7919) & 0xFF));
    QByteArray bytes = "[S]\nlong=" + longValue + "\n";
    bytes.append("nul=a\0b\n", 8);
    bytes.append("latin=Gr\xFC\xDF"
                 "e\nutf8=Gr\xC3\xBC\xC3\x9F"
                 "e\n");
    bytes.append(junk);
    bytes.append("\n[T]\nafter=1\n");
    const Read r = ReadFileBytes(bytes);
    ASSERT_TRUE(r.ok);
    QHash<QString, QString> byKey;
    for (const IniEntry& e : r.entries) byKey.insert(e.key, e.value);
    EXPECT_EQ(byKey.value("long").size(), longValue.size());
    EXPECT_EQ(byKey.value("latin"), QString::fromUtf8("Grüße"));
    EXPECT_EQ(byKey.value("utf8"), QString::fromUtf8("Grüße"));
    EXPECT_EQ(byKey.value("nul"), "a b");
    EXPECT_EQ(byKey.value("after"), "1");
    EXPECT_EQ(r.entries.back().section, "T");
}

TEST(SimpleIniSource, UnreadableFilesAreReportedNotRead) {
    QTemporaryDir dir;
    std::vector<IniEntry> entries{{"stale", "k", "v"}};
    QString error;
    SimpleIniSource source;
    EXPECT_FALSE(source.readEntries(dir.filePath("missing.stp"), entries, error));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    EXPECT_FALSE(source.readEntries(dir.path(), entries, error)) << "a directory";
    EXPECT_FALSE(error.isEmpty());

    QFile big(dir.filePath("big.stp"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(SimpleIniSource::MaxFileSize + 1));
    big.close();
    error.clear();
    EXPECT_FALSE(source.readEntries(big.fileName(), entries, error));
    EXPECT_TRUE(error.contains("larger")) << error.toStdString();
}
