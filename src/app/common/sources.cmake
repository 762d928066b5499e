# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(APP_COMMON_SOURCES
    BackupWiring.cpp
    BackupWiring.h
    Headless.cpp
    Headless.h
    Wiring.cpp
    Wiring.h
)
