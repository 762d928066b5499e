# Builds the blank image database ImageDatabase/KestrovaImageDataBlank.mdb beside the programs
# from its schema script with the sqlite3 command-line shell.
find_program(KESTROVA_SQLITE3 sqlite3)
if(NOT KESTROVA_SQLITE3)
    message(FATAL_ERROR "The sqlite3 command-line shell is needed to build the blank image database "
                        "(Debian package sqlite3; scripts/install-deps installs it)")
endif()

set(_blank_dir ${CMAKE_BINARY_DIR}/bin/ImageDatabase)
set(_blank ${_blank_dir}/KestrovaImageDataBlank.mdb)
set(_blank_sql ${CMAKE_CURRENT_LIST_DIR}/schema/KestrovaImageDataBlank.sql)
add_custom_command(OUTPUT ${_blank}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_blank_dir}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_blank}.new
    COMMAND ${KESTROVA_SQLITE3} -bail ${_blank}.new ".read ${_blank_sql}"
    COMMAND ${CMAKE_COMMAND} -E rename ${_blank}.new ${_blank}
    DEPENDS ${_blank_sql}
    COMMENT "Building the blank image database KestrovaImageDataBlank.mdb"
    VERBATIM)
add_custom_target(kestrova_blank_database ALL DEPENDS ${_blank})
