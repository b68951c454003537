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
