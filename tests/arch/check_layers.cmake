# Fails when src/barcode or src/core includes a widget, Qt Gui or platform header, or when
# src/barcode includes Qt at all.
set(_forbidden_core
    "QtWidgets" "QtGui" "QWidget" "QApplication" "QMainWindow" "QDialog" "QMessageBox" "QImage" "QPixmap"
    "QPainter" "QCursor" "QIcon" "QGuiApplication" "QtNetwork" "QLocalServer" "QLocalSocket"
    "leptonica" "allheaders.h" "tiffio.h" "zip.h" "sane/" "blkid" "sys/acl.h" "acl/libacl.h" "openssl/"
    "platform/" "gui/" "app/")
set(_failures "")
foreach(_layer barcode core)
    file(GLOB_RECURSE _files ${SOURCE_DIR}/${_layer}/*.cpp ${SOURCE_DIR}/${_layer}/*.h)
    foreach(_f ${_files})
        file(STRINGS ${_f} _includes REGEX "^[ \t]*#[ \t]*include")
        foreach(_inc ${_includes})
            set(_bad "")
            foreach(_word ${_forbidden_core})
                string(FIND "${_inc}" "${_word}" _pos)
                if(NOT _pos EQUAL -1)
                    set(_bad "${_word}")
                endif()
            endforeach()
            if(_layer STREQUAL "barcode" AND _inc MATCHES "[<\"]Q|core/")
                set(_bad "Qt or core")
            endif()
            if(_bad)
                list(APPEND _failures "${_f}: ${_inc}")
            endif()
        endforeach()
    endforeach()
endforeach()
if(_failures)
    string(REPLACE ";" "\n  " _msg "${_failures}")
    message(FATAL_ERROR "Layering broken, these includes do not belong in their layer:\n  ${_msg}")
endif()
message(STATUS "Layering holds")
