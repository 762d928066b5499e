# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(KESTROVA_CLI_SOURCES
    AdminCommands.cpp
    BackupCommand.cpp
    BarcodeTypeJson.h
    Command.cpp
    Command.h
    ConvertCommand.cpp
    DbCommand.cpp
    DecodeBatchCommand.cpp
    InitStationCommand.cpp
    MediaCommands.cpp
    ProblemsCommand.cpp
    ProfilesCommand.cpp
    ReadBarcodesCommand.cpp
    RecordingPrompter.h
    ScanCommand.cpp
    ScannersCommand.cpp
    SetupShowCommand.cpp
    SignCommands.cpp
    StatusCommand.cpp
    StoreCycleCommand.cpp
    main.cpp
)
