# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(BARCODE_TESTS_SOURCES
    CodabarTest.cpp
    Code128Test.cpp
    Code25Test.cpp
    Code39Test.cpp
    ReadBarcodesTest.cpp
    ReaderStateTest.cpp
    RunRowTest.cpp
    TestPage.cpp
    TestPage.h
)
