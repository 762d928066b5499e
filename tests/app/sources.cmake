# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(APP_TESTS_SOURCES
    AdminCommandsTest.cpp
    CommandUsageTest.cpp
    ConvertCommandTest.cpp
    DbCommandTest.cpp
    DecodeBatchCommandTest.cpp
    DecodeResumeTest.cpp
    InitStationCommandTest.cpp
    MediaCommandsTest.cpp
    ProblemsCommandTest.cpp
    ProfilesCommandTest.cpp
    QtCoreApplication.cpp
    ReadBarcodesWithProfileTest.cpp
    SetupShowCommandTest.cpp
    SignCommandsTest.cpp
    SingleInstanceTest.cpp
    StartupWiringTest.cpp
    StatusCommandTest.cpp
)
