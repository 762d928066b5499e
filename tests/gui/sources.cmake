# Written by scripts/list-sources from the files of this folder; run it after adding or
# removing a file.
set(GUI_TESTS_SOURCES
    QtApplication.cpp
    Screenshot.h
    StatusViewTest.cpp
    forms/BarcodesMenuTest.cpp
    forms/TAdminFormTest.cpp
    forms/TMainFormDecodeViewTest.cpp
    forms/TMainFormTest.cpp
    problems/BarcodeListAndReviewTest.cpp
    problems/BatchProgressTest.cpp
    problems/LayoutTest.cpp
    problems/OperatorGuidanceTest.cpp
    problems/ProblemViewTest.cpp
    problems/ProblemWindow.cpp
    problems/ProblemWindow.h
    problems/ProblemZoomTest.cpp
)
