# What a Linux desktop needs beside the programs: the desktop entry with the
# file types it opens, their shared-mime-info declaration, the icon in the
# hicolor theme (SVG, and PNGs drawn from it at build time with rsvg-convert
# of Debian's librsvg2-bin), the AppStream metainfo and the window's manual page.
set(SONKRATE_APP_ID org.sonkrate.Sonkrate)
set(linux_dir ${CMAKE_SOURCE_DIR}/packaging/linux)
set(linux_out ${CMAKE_BINARY_DIR}/packaging/linux)

# By name: the link in bin/ is on the PATH wherever the prefix puts it.
set(SONKRATE_DESKTOP_EXEC sonkrate)
configure_file(${linux_dir}/sonkrate.desktop.in ${linux_out}/${SONKRATE_APP_ID}.desktop @ONLY)
configure_file(${linux_dir}/sonkrate.metainfo.xml.in ${linux_out}/${SONKRATE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${linux_out}/${SONKRATE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_out}/${SONKRATE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${linux_dir}/sonkrate-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME sonkrate.xml)
install(FILES ${linux_dir}/sonkrate.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# The window's working files then go to the user's data folder.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/sonkrate.installed DESTINATION ${SONKRATE_INSTALL_LIBDIR})
install(FILES ${linux_dir}/sonkrate.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(SONKRATE_ICON_SIZES 16 24 32 48 64 128 256)
find_program(SONKRATE_RSVG_CONVERT rsvg-convert)
if(SONKRATE_RSVG_CONVERT)
  set(icon_files)
  foreach(size ${SONKRATE_ICON_SIZES})
    set(png ${linux_out}/icons/${size}/sonkrate.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${linux_out}/icons/${size}
      COMMAND ${SONKRATE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${linux_dir}/sonkrate.svg
      DEPENDS ${linux_dir}/sonkrate.svg
      VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(sonkrate_icons ALL DEPENDS ${icon_files})
else()
  message(STATUS "rsvg-convert (Debian's librsvg2-bin) not found: only the SVG icon is installed")
endif()
