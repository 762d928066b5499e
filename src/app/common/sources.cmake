# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(APP_COMMON_SOURCES
    Headless.cpp
    Headless.h
    Wiring.cpp
    Wiring.h
)
