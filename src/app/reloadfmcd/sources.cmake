# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(RELOADFMCD_SOURCES
    main.cpp
)
