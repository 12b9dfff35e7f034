# Installing horaz like any tool, and packaging it for Debian.
#
#   PREFIX/bin/horaz
#   PREFIX/lib/horaz/AVX2Horaz.avx, PREFIX/lib/horaz/libhorazplatform.so
#   PREFIX/lib/horaz/horaz_video_decoder.so, horaz_video_encoder.so (the codec
#     modules, when built)
#   PREFIX/share/man/man1/horaz.1.gz (when help2man is there)
#
# The plug-in and its platform library are private to horaz, so they live in
# a folder of their own rather than on the linker's search path. Every RPATH
# is relative to the file that carries it, so an installed tree still works
# after it is moved or unpacked somewhere else.

set(HORAZ_INSTALL_PRIVATE_DIR lib/horaz)

set_target_properties(horaz PROPERTIES INSTALL_RPATH "$ORIGIN/../${HORAZ_INSTALL_PRIVATE_DIR}")
set_target_properties(AVX2Horaz PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS horaz RUNTIME DESTINATION bin)
install(TARGETS AVX2Horaz horaz_platform LIBRARY DESTINATION ${HORAZ_INSTALL_PRIVATE_DIR})
if(TARGET horaz_video_decoder)
  install(TARGETS horaz_video_decoder horaz_video_encoder LIBRARY DESTINATION ${HORAZ_INSTALL_PRIVATE_DIR})
endif()

# The man page is made from horaz's own help at build time, so it says what
# the program says.
find_program(HORAZ_HELP2MAN help2man)
if(HORAZ_HELP2MAN)
  set(horaz_man_page ${PROJECT_BINARY_DIR}/horaz.1.gz)
  add_custom_command(OUTPUT ${horaz_man_page}
    COMMAND ${CMAKE_COMMAND} -DHORAZ=$<TARGET_FILE:horaz> -DHELP2MAN=${HORAZ_HELP2MAN}
            -DOUTPUT=${horaz_man_page} -P ${PROJECT_SOURCE_DIR}/cmake/HorazManPage.cmake
    DEPENDS horaz ${PROJECT_SOURCE_DIR}/cmake/HorazManPage.cmake
    COMMENT "Making the man page horaz.1.gz from horaz --help"
    VERBATIM)
  add_custom_target(horaz_man_page ALL DEPENDS ${horaz_man_page})
  install(FILES ${horaz_man_page} DESTINATION share/man/man1)
else()
  message(STATUS "help2man not found: no man page (scripts/install_packages.sh installs it)")
endif()

# cpack -G DEB
set(HORAZ_PACKAGE_MAINTAINER "Horaz maintainers <maintainers@horaz.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_NAME horaz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Horaz")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws a clock over video through a video-effect plug-in")
set(CPACK_PACKAGE_DESCRIPTION "horaz renders a clock (an analog face, a digital readout in any font, \
or LED seven-segment digits) over a test pattern, pictures or video, loading the clock effect plug-in \
AVX2Horaz.avx the way a video editor does.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${HORAZ_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The system libraries the binaries link (cairo, freetype, fontconfig, libpng,
# the C++ runtime, and libavformat and libavcodec for the decoding module), as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The demo and the help examples draw in Liberation fonts; ffmpeg reads and
# writes .mp4, .mkv and .mov.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ffmpeg")
include(CPack)
