# The libraries of the Linux window, found so that a missing one stops the
# configure with the Debian package to install (or -DSONKRATE_GUI=OFF for a
# build without the window, as the sanitizer build is).
#
# FLTK is found by its header and library rather than through the CMake
# configuration of libfltk1.3-dev: that configuration imports the target
# "fluid" and fails when /usr/bin/fluid (package fluid) is not installed,
# although nothing here uses fluid.

function(sonkrate_require_package what package)
  message(FATAL_ERROR
    "The sonkrate window needs ${what}: install the Debian package ${package} "
    "(make deps installs every package the build needs), or configure with "
    "-DSONKRATE_GUI=OFF for a build without the window.")
endfunction()

if(NOT TARGET sonkrate::fltk)
  find_path(SONKRATE_FLTK_INCLUDE_DIR FL/Fl.H PATH_SUFFIXES fltk)
  find_library(SONKRATE_FLTK_LIBRARY NAMES fltk)
  if(NOT SONKRATE_FLTK_INCLUDE_DIR OR NOT SONKRATE_FLTK_LIBRARY)
    sonkrate_require_package("FLTK 1.3 (FL/Fl.H and libfltk)" libfltk1.3-dev)
  endif()
  add_library(sonkrate::fltk INTERFACE IMPORTED)
  target_include_directories(sonkrate::fltk SYSTEM INTERFACE ${SONKRATE_FLTK_INCLUDE_DIR})
  target_link_libraries(sonkrate::fltk INTERFACE ${SONKRATE_FLTK_LIBRARY})

  find_package(SDL2 CONFIG QUIET)
  if(NOT SDL2_FOUND OR NOT TARGET SDL2::SDL2)
    sonkrate_require_package("SDL2 (its CMake configuration)" libsdl2-dev)
  endif()
  find_package(X11 QUIET)
  if(NOT X11_FOUND)
    sonkrate_require_package("Xlib" libx11-dev)
  endif()
endif()
