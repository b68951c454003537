# Every dependency comes from Debian packages installed by scripts/install-deps.
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
if(WIN32)
  # Windows' platform files look for import libraries (.dll.a) first, which would let a library that
  # pkg-config names (zlib, under libpng and cairo) be imported from a DLL: static libraries only.
  set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
endif()
if(KAVREN_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
if(KAVREN_BENCH)
  find_package(benchmark REQUIRED)
endif()
# The GUI's drawing library, shared by the plug-in, its tools and the artwork generator.
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
if(WIN32)
  # pixman marks its functions for export even in its static library (.drectve sections): linked from a
  # copy without the marks, so that the plug-in's DLL exports only its own entry points.
  get_target_property(cairo_libraries PkgConfig::CAIRO INTERFACE_LINK_LIBRARIES)
  foreach(library IN LISTS cairo_libraries)
    if(library MATCHES "/libpixman-1\\.a$")
      set(unmarked ${CMAKE_BINARY_DIR}/unmarked/libpixman-1.a)
      file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/unmarked)
      execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section .drectve ${library} ${unmarked}
        COMMAND_ERROR_IS_FATAL ANY)
      list(TRANSFORM cairo_libraries REPLACE "^${library}$" ${unmarked})
    endif()
  endforeach()
  set_target_properties(PkgConfig::CAIRO PROPERTIES INTERFACE_LINK_LIBRARIES "${cairo_libraries}")
endif()
pkg_check_modules(SNDFILE IMPORTED_TARGET sndfile)
pkg_check_modules(LV2 IMPORTED_TARGET lv2)
