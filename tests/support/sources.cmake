# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(TEST_SUPPORT_SOURCES
    BatchSketch.cpp
    BatchSketch.h
    DbPeers.cpp
    DbPeers.h
    FakeClock.h
    FakeScanner.h
    FakeVolumes.h
    PgCluster.cpp
    PgCluster.h
    QtCoreEnvironment.h
    ScriptedPrompter.cpp
    ScriptedPrompter.h
    StationDir.h
    StoredImages.h
    TempStation.h
    TestCertificates.cpp
    TestCertificates.h
    TestFiles.h
    ZipCheck.cpp
    ZipCheck.h
)
