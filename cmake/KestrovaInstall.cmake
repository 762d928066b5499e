# Install rules shared by every program of the package. A program target is installed into the
# package's bin directory with one line beside its add_executable:
#     kestrova_install_program(TARGET)
include(GNUInstallDirs)
# Installing (and cpack) takes what the build made and does not build everything first: the
# package holds the programs only, and CI packages the build its tests have just run.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

function(kestrova_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT kestrova)
endfunction()

# What `kestrova init-station` copies into a new station: installed to share/kestrova/station,
# and staged in the build tree as station-template/ so that the build's own kestrova finds it
# too (the blank database and the image-set template it takes from bin/, where the build puts them).
set(KESTROVA_STATION_TEMPLATE_DIR ${CMAKE_INSTALL_DATADIR}/kestrova/station)
