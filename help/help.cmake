# The help file Sonkrate-help.chm, compiled from the pages in help/ with
# chmcmd (Debian's fp-utils) and put beside the window's executable.
set(SONKRATE_HELP_SOURCE ${CMAKE_SOURCE_DIR}/help)
file(GLOB SONKRATE_HELP_FILES CONFIGURE_DEPENDS
  ${SONKRATE_HELP_SOURCE}/*.html ${SONKRATE_HELP_SOURCE}/*.css
  ${SONKRATE_HELP_SOURCE}/*.hhp ${SONKRATE_HELP_SOURCE}/*.hhc ${SONKRATE_HELP_SOURCE}/*.hhk)

find_program(SONKRATE_CHMCMD chmcmd)
if(SONKRATE_CHMCMD)
  set(help_work ${CMAKE_CURRENT_BINARY_DIR}/help)
  set(help_out ${SONKRATE_DESKTOP_DIR}/Sonkrate-help.chm)
  add_custom_command(
    OUTPUT ${help_out}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${help_work}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${help_work}
    COMMAND ${CMAKE_COMMAND} -E copy ${SONKRATE_HELP_FILES} ${help_work}
    COMMAND ${CMAKE_COMMAND} -E chdir ${help_work} ${SONKRATE_CHMCMD} --verbosity 1 sonkrate.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${help_work}/Sonkrate-help.chm ${help_out}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${SONKRATE_HELP_FILES}
    COMMENT "Compiling the help file Sonkrate-help.chm"
    VERBATIM)
  add_custom_target(sonkrate_help ALL DEPENDS ${help_out})
  add_dependencies(sonkrate sonkrate_help)
  install(FILES ${help_out} DESTINATION ${SONKRATE_INSTALL_LIBDIR})
else()
  message(FATAL_ERROR
    "The help file of the sonkrate window needs chmcmd: install the Debian package fp-utils "
    "(make deps installs every package the build needs), or configure with -DSONKRATE_GUI=OFF "
    "for a build without the window.")
endif()
