# The Windows zip (cpack -G ZIP, which scripts/build --windows runs): KavrenXL-<version>-win64.zip with
# the plug-in library and the command-line host side by side, a README for Windows users and the licence
# texts of everything linked into them (ours, the libraries scripts/windows-deps built from Debian's source
# packages, the compiler's and mingw-w64's static runtimes).
install(TARGETS kavren-xl LIBRARY DESTINATION .)
install(TARGETS kavren RUNTIME DESTINATION .)
if(KAVREN_EDITOR)
  set(KAVREN_ZIP_EDITOR_NOTE "Its editor opens in the host's plug-in window.")
else()
  set(KAVREN_ZIP_EDITOR_NOTE "This build has no editor window: hosts show its parameters in their own.")
endif()
# Windows' own editor opens text with Windows line ends.
configure_file(packaging/windows/README.txt ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE WIN32)
configure_file(packaging/windows/licence.txt "${PROJECT_BINARY_DIR}/packaging/Kavren XL.txt" @ONLY
  NEWLINE_STYLE WIN32)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)
install(FILES "${PROJECT_BINARY_DIR}/packaging/Kavren XL.txt" DESTINATION licences)
if(NOT EXISTS ${KAVREN_WIN_DEPS}/share/licences/cairo.txt)
  message(FATAL_ERROR "${KAVREN_WIN_DEPS} holds no licence texts (run scripts/install-deps --windows)")
endif()
install(DIRECTORY ${KAVREN_WIN_DEPS}/share/licences/ DESTINATION licences PATTERN common-licenses EXCLUDE)
# Debian names its common licences without an extension; Windows opens .txt files.
file(GLOB kavren_common_licences ${KAVREN_WIN_DEPS}/share/licences/common-licenses/*)
foreach(licence IN LISTS kavren_common_licences)
  get_filename_component(name ${licence} NAME)
  install(FILES ${licence} DESTINATION licences/common-licenses RENAME ${name}.txt)
endforeach()
if(KAVREN_EDITOR)
  install(FILES resources/fonts/LiberationFonts-copyright.txt DESTINATION licences)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KavrenXL)
set(CPACK_PACKAGE_VENDOR Quillmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME KavrenXL-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
include(CPack)
