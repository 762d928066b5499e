# Fails when a layer includes what its direction forbids:
#   barcode  <- core <- platform <- app
#               core <- gui      <- app
# barcode sees no Qt and no core; core sees no widget, Qt Gui, outside C library or other layer;
# platform and gui never see each other or app; gui sees no outside C library either (those stay
# behind the platform adapters).
set(_c_libraries "leptonica" "allheaders.h" "tiffio.h" "zip.h" "sane/" "blkid" "sys/acl.h" "acl/libacl.h" "openssl/")
set(_widgets "QtWidgets" "QWidget" "QApplication" "QMainWindow" "QDialog" "QMessageBox")
set(_forbidden_barcode "core/" "platform/" "gui/" "app/")
set(_forbidden_core ${_widgets} ${_c_libraries}
    "QtGui" "QImage" "QPixmap" "QPainter" "QCursor" "QIcon" "QGuiApplication" "QtNetwork" "QLocalServer"
    "QLocalSocket" "platform/" "gui/" "app/")
set(_forbidden_platform ${_widgets} "gui/" "app/")
set(_forbidden_gui ${_c_libraries} "platform/" "app/")

set(_failures "")
foreach(_layer barcode core platform gui)
    file(GLOB_RECURSE _files ${SOURCE_DIR}/${_layer}/*.cpp ${SOURCE_DIR}/${_layer}/*.h)
    foreach(_f ${_files})
        file(STRINGS ${_f} _includes REGEX "^[ \t]*#[ \t]*include")
        foreach(_inc ${_includes})
            set(_bad "")
            foreach(_word ${_forbidden_${_layer}})
                string(FIND "${_inc}" "${_word}" _pos)
                if(NOT _pos EQUAL -1)
                    set(_bad "${_word}")
                endif()
            endforeach()
            if(_layer STREQUAL "barcode" AND _inc MATCHES "[<\"]Q")
                set(_bad "Qt")
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
