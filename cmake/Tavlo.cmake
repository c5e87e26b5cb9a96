# tavlo_library(NAME DEPS ...): one library per subsystem folder; every .cpp in the folder
# (recursively) belongs to it, so adding a file never needs a CMake edit. A subfolder with a
# CMakeLists.txt of its own is a library of its own (platform/x11, ...) and is left out.
function(tavlo_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE own_lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(lists ${own_lists})
    get_filename_component(subdir ${lists} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${subdir}/")
  endforeach()
  if(NOT sources)
    return() # a folder whose first file is still to come
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# tavlo_tests(NAME LABEL label DEPS ...): one GoogleTest program from every *_test.cpp in the
# calling folder (not recursive), registered with CTest under the given label.
find_package(GTest REQUIRED)
include(GoogleTest)
function(tavlo_tests name)
  cmake_parse_arguments(ARG "" "LABEL;DIR" "DEPS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*_test.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} tavlo_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} PROPERTIES LABELS ${ARG_LABEL} DISCOVERY_TIMEOUT 60)
endfunction()
