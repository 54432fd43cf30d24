# Small helpers so that adding a module, a test or a fuzz target is one line.

# Warnings for our own targets only.
function(mirelda_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports std::string copies inside libstdc++ as overlapping (GCC bug 105329).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(MIRELDA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A module of `layer` (core or ui) is the static library `mirelda_<layer>_<name>` over
# <name>/*.cpp, linked with `libs` and with the modules of the same layer named in DEPS; a
# folder of headers only gives an interface library. Every module joins `mirelda_<layer>`.
function(mirelda_add_module layer name libs)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp")
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")  # the program's entry is not library code
  file(GLOB headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.h")
  set(target mirelda_${layer}_${name})
  list(TRANSFORM ARG_DEPS PREPEND mirelda_${layer}_)
  if(sources)
    add_library(${target} STATIC ${sources} ${headers})
    target_include_directories(${target} PUBLIC "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target} PUBLIC ${libs} ${ARG_DEPS})
    mirelda_warnings(${target})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE "${PROJECT_SOURCE_DIR}")
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
  target_link_libraries(mirelda_${layer} INTERFACE ${target})
endfunction()

# A core module may use the standard library and ICU, never Qt.
function(mirelda_add_core_module name)
  mirelda_add_module(core ${name} "ICU::uc;ICU::i18n" ${ARGN})
endfunction()

# A ui module uses the core and Qt.
function(mirelda_add_ui_module name)
  mirelda_add_module(ui ${name} "mirelda_core;Qt6::Widgets;Qt6::PrintSupport;Qt6::Network" ${ARGN})
  get_target_property(type mirelda_ui_${name} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    target_compile_definitions(mirelda_ui_${name} PUBLIC QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII)
    set_target_properties(mirelda_ui_${name} PROPERTIES AUTOMOC ON)
  endif()
endfunction()

# GoogleTest executable `test_<name>` over the given sources, registered with CTest.
# Every test has a time limit, so that a hang fails the run instead of stalling it.
# A test may ask for more with TIMEOUT.
set(MIRELDA_TEST_TIMEOUT 120 CACHE STRING "Default CTest time limit of one test, in seconds")

function(mirelda_add_gtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${MIRELDA_TEST_TIMEOUT})
  endif()
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(test_${name} PRIVATE MIRELDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  mirelda_warnings(test_${name})
  gtest_discover_tests(test_${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS core TIMEOUT ${ARG_TIMEOUT})
endfunction()

# QtTest executable `test_<name>` run on the offscreen platform, with the program's icons and
# images compiled in.
function(mirelda_add_qtest name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT ${MIRELDA_TEST_TIMEOUT})
  endif()
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} Qt6::Test)
  target_sources(test_${name} PRIVATE $<TARGET_OBJECTS:mirelda_resources>)
  target_compile_definitions(test_${name} PRIVATE MIRELDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MIRELDA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  set_target_properties(test_${name} PROPERTIES AUTOMOC ON)
  mirelda_warnings(test_${name})
  add_test(NAME ${name} COMMAND test_${name})
  set_tests_properties(${name} PROPERTIES LABELS ui TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_QPA_FONTDIR=/usr/share/fonts/truetype/dejavu")
endfunction()

# libFuzzer target `fuzz_<name>`.
function(mirelda_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(fuzz_${name} ${ARG_SOURCES})
  target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,address,undefined)
endfunction()
