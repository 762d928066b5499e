# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(PLATFORM_TESTS_SOURCES
    acl/AclTestFile.h
    acl/PosixFileSecurityTest.cpp
    folderfeed/FolderFeederTest.cpp
    folderfeed/ScanControlFolderTest.cpp
    ini/BarcodeProfileSelectionTest.cpp
    ini/ConfigurationFileTest.cpp
    ini/IniTestFiles.h
    ini/SimpleIniSourceTest.cpp
    leptonica/DamagedFilesTest.cpp
    leptonica/LeptonicaTestImages.h
    leptonica/PageBitmapViewTest.cpp
    leptonica/PageCleanupTest.cpp
    leptonica/PageLoadTest.cpp
    leptonica/PageMemoryLimitTest.cpp
    leptonica/PageTransformTest.cpp
    leptonica/SaveRegionTest.cpp
    leptonica/TiffSaveTest.cpp
    sane/SaneFramesTest.cpp
    sane/SaneScannerTest.cpp
    sane/ScanTestSupport.h
    sane/TestBackendReader.cpp
    volumes/LoopMedium.h
    volumes/SystemVolumesTest.cpp
    zip/LibzipArchiveTest.cpp
)
