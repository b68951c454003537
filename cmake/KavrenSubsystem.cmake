# kavren_subsystem(<name> SOURCES <files...> [DEPENDS <targets...>])
# Defines the static library kavren_<name>; headers are included as "<subsystem>/<file>.h".
function(kavren_subsystem name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(kavren_${name} STATIC ${ARG_SOURCES})
  target_include_directories(kavren_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kavren_${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# kavren_test(<name> SOURCES <files...> DEPENDS <targets...> [LABELS <labels...>])
# One GoogleTest executable, registered with CTest test by test.
function(kavren_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# kavren_x11_test(<name> SOURCES <files...> DEPENDS <targets...> LABELS <labels...>)
# A GoogleTest executable with real windows under X, linked with Xlib and XTEST. Its tests skip
# themselves without DISPLAY (scripts/run-tests runs the suite under xvfb-run); they move the one
# pointer of the display, so they take a lock that keeps them from running at the same time under
# `ctest -j`. Discovered test properties cannot hold lists, so the labels and the lock are set by a
# script that CTest reads after the list of discovered tests.
function(kavren_x11_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;LABELS" ${ARGN})
  if(NOT TARGET PkgConfig::KAVREN_XTST)
    pkg_check_modules(KAVREN_XTST REQUIRED IMPORTED_TARGET GLOBAL x11 xtst)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} PkgConfig::KAVREN_XTST GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake)
  file(WRITE ${script} "foreach(test IN LISTS ${name}_TESTS)
  set_tests_properties(\${test} PROPERTIES LABELS \"${ARG_LABELS}\" RESOURCE_LOCK x11-display)
endforeach()
")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# Adds every immediate subfolder of the calling folder that has a CMakeLists.txt, in name order.
function(kavren_add_subfolders)
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT folders)
  foreach(folder IN LISTS folders)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      add_subdirectory(${folder})
    endif()
  endforeach()
endfunction()
