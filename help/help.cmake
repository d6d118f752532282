# The help file Sonkrate-help.chm, compiled from the pages in help/ with
# chmcmd (Debian's fp-utils) and put beside the window's executable. Without
# chmcmd the window is built all the same and Help_Files says the help file
# could not be opened.
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
  message(STATUS "Sonkrate-help.chm: not built (chmcmd from fp-utils is missing)")
endif()
