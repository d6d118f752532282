# The installer sonkrate-setup.exe, made with makensis (Debian's nsis) from
# sonkrate.nsi beside this file: the programs of the build, the help file,
# the README, the licence and the notices of the libraries linked into the
# programs, and the mark of an installed folder.
find_program(SONKRATE_MAKENSIS makensis)
if(NOT SONKRATE_MAKENSIS)
  message(STATUS "makensis (Debian's nsis) not found: no sonkrate-setup.exe")
  return()
endif()
set(SONKRATE_SETUP ${CMAKE_BINARY_DIR}/sonkrate-setup.exe CACHE INTERNAL "The Windows installer")
set(nsi ${CMAKE_SOURCE_DIR}/packaging/windows/sonkrate.nsi)
set(marker ${CMAKE_SOURCE_DIR}/packaging/sonkrate.installed)
set(licence ${CMAKE_SOURCE_DIR}/LICENSE)
set(notices ${CMAKE_SOURCE_DIR}/packaging/windows/THIRD-PARTY.txt)
add_custom_command(OUTPUT ${SONKRATE_SETUP}
  COMMAND ${SONKRATE_MAKENSIS} -V2 -NOCD
          -DVERSION=${PROJECT_VERSION}
          -DPROGRAM_DIR=${SONKRATE_DESKTOP_DIR}
          -DREADME=${CMAKE_SOURCE_DIR}/README.md
          -DLICENSE=${licence}
          -DNOTICES=${notices}
          -DICON=${resource_dir}/sonkrate.ico
          -DMARKER=${marker}
          -DOUTFILE=${SONKRATE_SETUP}
          ${nsi}
  DEPENDS ${nsi} ${marker} ${licence} ${notices} ${CMAKE_SOURCE_DIR}/README.md ${resource_dir}/sonkrate.ico
          $<TARGET_FILE:sonkrate> $<TARGET_FILE:auto_stop> $<TARGET_FILE:sonkrate-cli>
          ${SONKRATE_DESKTOP_DIR}/Sonkrate-help.chm
  COMMENT "Making the installer sonkrate-setup.exe"
  VERBATIM)
add_custom_target(sonkrate_setup ALL DEPENDS ${SONKRATE_SETUP})
add_dependencies(sonkrate_setup sonkrate auto_stop sonkrate-cli sonkrate_help sonkrate_resources)
