# Installation (any prefix): the VST 2.4 library in lib/vst, the LV2 bundle in lib/lv2, the kavren tool
# in bin with its manual page, licences and documents in share/doc/kavren-xl; and a Debian package of the
# same (cpack -G DEB) whose dependencies dpkg-shlibdeps reads from the binaries. Windows builds make a zip
# instead.
if(WIN32)
  include(cmake/KavrenWindowsZip.cmake)
  return()
endif()
set(CMAKE_INSTALL_DOCDIR share/doc/kavren-xl CACHE PATH "Documentation folder")
include(GNUInstallDirs)
# Hosts look for plug-ins under lib/vst and lib/lv2 of a prefix, not under the multiarch library folder.
set(KAVREN_INSTALL_VSTDIR lib/vst CACHE PATH "Folder of the VST 2.4 library")
set(KAVREN_INSTALL_LV2DIR lib/lv2 CACHE PATH "Folder of the LV2 bundle")

install(TARGETS kavren-xl LIBRARY DESTINATION ${KAVREN_INSTALL_VSTDIR})
if(TARGET kavren-xl-lv2)
  install(TARGETS kavren-xl-lv2 kavren-xl-lv2-ui LIBRARY DESTINATION ${KAVREN_INSTALL_LV2DIR}/kavren-xl.lv2)
  install(DIRECTORY ${KAVREN_LV2_BUNDLE}/ DESTINATION ${KAVREN_INSTALL_LV2DIR}/kavren-xl.lv2
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
    FILES_MATCHING PATTERN "*.ttl")
endif()
install(TARGETS kavren RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The tool's manual page, made from its --help text and the description in packaging/kavren.h2m, where
# the build can run the tool.
if(NOT CMAKE_CROSSCOMPILING)
  find_program(KAVREN_HELP2MAN help2man REQUIRED)
  set(kavren_manual ${PROJECT_BINARY_DIR}/packaging/kavren.1.gz)
  add_custom_command(OUTPUT ${kavren_manual}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
    COMMAND ${KAVREN_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
            --include=${PROJECT_SOURCE_DIR}/packaging/kavren.h2m
            "--name=command-line host of the Kavren XL filter effect" $<TARGET_FILE:kavren>
            | gzip -9n > ${kavren_manual}
    DEPENDS kavren ${PROJECT_SOURCE_DIR}/packaging/kavren.h2m
    VERBATIM)
  add_custom_target(kavren_manual ALL DEPENDS ${kavren_manual})
  install(FILES ${kavren_manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endif()

# Debian wants its changelog compressed at the highest level and without a time stamp.
set(kavren_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${kavren_changelog}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${kavren_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(kavren_changelog ALL DEPENDS ${kavren_changelog})
install(FILES README.md docs/performance.md docs/presets.md docs/threading.md packaging/copyright
              resources/fonts/LiberationFonts-copyright.txt ${kavren_changelog}
  DESTINATION ${CMAKE_INSTALL_DOCDIR}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavren-xl)
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stereo filter effect for VST 2.4 and LV2 hosts")
set(CPACK_PACKAGE_DESCRIPTION "QMX Kavren XL is a stereo filter effect: low-pass and high-pass\n\
filters with resonance, moved by an envelope follower and a tempo-synced\n\
LFO, with distortion, rate reduction, ring and frequency modulation and\n\
a look-ahead limiter. The package holds the VST 2.4 plug-in, the LV2\n\
plug-in with its factory presets and the kavren command-line tool.")
set(CPACK_PACKAGE_CONTACT "Quillmark <packages@quillmark.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies come from DebianDepends.cmake, which runs dpkg-shlibdeps without CPack's ldconfig scripts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
set(kavren_packaged_binaries $<TARGET_FILE:kavren-xl> $<TARGET_FILE:kavren>)
if(TARGET kavren-xl-lv2)
  list(APPEND kavren_packaged_binaries $<TARGET_FILE:kavren-xl-lv2> $<TARGET_FILE:kavren-xl-lv2-ui>)
endif()
list(JOIN kavren_packaged_binaries " " KAVREN_PACKAGED_BINARIES)
configure_file(packaging/DebianDepends.cmake.in ${PROJECT_BINARY_DIR}/packaging/DebianDepends.cmake.in @ONLY)
file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/packaging/DebianDepends.cmake
  INPUT ${PROJECT_BINARY_DIR}/packaging/DebianDepends.cmake.in)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/packaging/DebianDepends.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
