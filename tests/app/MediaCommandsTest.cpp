#include "support/StationDir.h"

#include <gtest/gtest.h>

using kestrova::test::RunKestrova;
using kestrova::test::StationDir;

TEST(MediaCommands, ArchiveFlushAndFinaliseFromTheCommandLine) {
    StationDir station;
    auto run = [&](const QStringList& args) { return RunKestrova(station, args); };
    for (const char* row : {"1, \"A1\", [2004-05-07], \"CD1\"", "2, \"A2\", null, null",
                            "500, \"A500\", [2004-06-07], \"CD2\"", "900, \"A900\", [2004-07-07], \"CD3\""}) {
        const auto r = run({"query", QStringLiteral("insert into ImageData (SeqNumber, ReqID, CDWriteTime, CDLabel, "
                                                    "DocDefn) values (%1, \"REQ\")")
                                         .arg(row)});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    }
    auto r = run({"archive"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("1 rows below sequence number 500 moved to ImageArchive")) << r.out.toStdString();
    // The row on no medium stays.
    r = run({"query", "select SeqNumber from ImageData"});
    EXPECT_EQ(r.out.trimmed().split('\n'), (QStringList{"SeqNumber", "2", "500", "900"})) << r.out.toStdString();
    // The unwritten row forms the empty label: three "media" again, but nothing below 500 is on one.
    r = run({"archive"});
    EXPECT_TRUE(r.out.contains("0 rows below sequence number 500 moved")) << r.out.toStdString();
    run({"query", "delete from ImageData where SeqNumber = 2"});
    r = run({"archive"});
    EXPECT_TRUE(r.out.contains("Nothing to Archive!")) << r.out.toStdString();

    r = run({"media", "flush"});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("0 zip files committed")) << r.out.toStdString();

    for (const char* bad : {"0", "101", "-3"}) EXPECT_EQ(run({"media", "finalise", "--percent", bad}).exitCode, 2);
    EXPECT_EQ(run({"media", "finalise"}).exitCode, 2);
    // The station's backup directory lies on an unlabelled file system here.
    r = run({"media", "finalise", "--percent", "10"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("No Media is loaded.")) << r.err.toStdString();
}
