# Host (Linux) side of the test rig.
#
# Tier 1: the windows.h-free text rules, built with the host compiler under
#         AddressSanitizer and UBSan, tested with GoogleTest and fuzzed with libFuzzer.
# Tier 2: the Windows test programs of the cross build (WIN_BUILD_DIR), each run as one
#         CTest entry in a throwaway Wine prefix on an Xvfb display (fixture "wine").

# QB_INSTRUMENT OFF: a build of the same code as it ships, for timing it natively (the
# benchmarks under bench/ make one of their own); it has no fuzzers.
option(QB_INSTRUMENT "Build the host code under the sanitizers and the fuzzers' coverage" ON)
set(QB_HAVE_FUZZER OFF)
if(QB_INSTRUMENT)
  set(QB_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${QB_SANITIZE} -g)
  add_link_options(${QB_SANITIZE})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage instrumentation everywhere, so the fuzzers can link the same libraries.
    add_compile_options(-fsanitize=fuzzer-no-link)
    set(QB_HAVE_FUZZER ON)
  endif()
endif()

find_package(GTest REQUIRED)
include(GoogleTest)

set(QB_FUZZ_SECONDS 30 CACHE STRING "Seconds each fuzzer runs in the test command")
set(WIN_BUILD_DIR "" CACHE PATH "Build folder of the Windows (mingw-w64) build")
set(QB_RIG_DIR ${CMAKE_BINARY_DIR}/rig)
set(QB_RIG_SCRIPTS ${CMAKE_SOURCE_DIR}/tests/rig)

# A test's file is its CTest entry: <name>.cpp in the calling folder is the test, and the
# entry is <tier>.<name> (native.link_text_test is tests/brindle/link_text_test.cpp).
# SOURCES adds what the test links beside it (resources, a file of the product).

# add_native_test(<name> [SOURCES ...] [LIBS ...])
function(add_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${name}.cpp ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main qb_options)
  add_test(NAME native.${name} COMMAND ${name})
endfunction()

# add_fuzzer(<name> [SOURCES ...] [LIBS ...]): built only with clang; the test command runs
# it for QB_FUZZ_SECONDS and fails on any crash, leak or sanitizer report.
function(add_fuzzer name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT QB_HAVE_FUZZER)
    return()
  endif()
  add_executable(${name} ${name}.cpp ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS} qb_options)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}.corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz.${name}
    COMMAND ${name} -max_total_time=${QB_FUZZ_SECONDS} -rss_limit_mb=2048 -print_final_stats=1 ${corpus})
endfunction()

# add_wine_test(<name> EXE <path relative to WIN_BUILD_DIR> [ARGS ...] [ENV k=v ...] [TIMEOUT s])
# The program runs through tests/rig/run.sh in the prefix that the fixture made. A program run
# again under other conditions is named <its name>.<what differs> (wine.navigator_test.english_layout).
function(add_wine_test name)
  cmake_parse_arguments(W "" "EXE;TIMEOUT" "ARGS;ENV" ${ARGN})
  if(NOT WIN_BUILD_DIR)
    return()
  endif()
  if(NOT W_TIMEOUT)
    set(W_TIMEOUT 300)
  endif()
  add_test(NAME wine.${name}
    COMMAND ${QB_RIG_SCRIPTS}/run.sh ${WIN_BUILD_DIR}/${W_EXE} ${W_ARGS})
  set_tests_properties(wine.${name} PROPERTIES
    FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT ${W_TIMEOUT}
    ENVIRONMENT "QB_RIG_DIR=${QB_RIG_DIR};QB_WIN_BUILD_DIR=${WIN_BUILD_DIR};QB_SOURCE_DIR=${CMAKE_SOURCE_DIR};${W_ENV}")
endfunction()

if(WIN_BUILD_DIR)
  add_test(NAME wine.setup COMMAND ${QB_RIG_SCRIPTS}/setup.sh)
  add_test(NAME wine.cleanup COMMAND ${QB_RIG_SCRIPTS}/cleanup.sh)
  set_tests_properties(wine.setup PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
    ENVIRONMENT "QB_RIG_DIR=${QB_RIG_DIR};QB_WIN_BUILD_DIR=${WIN_BUILD_DIR}")
  set_tests_properties(wine.cleanup PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60
    ENVIRONMENT "QB_RIG_DIR=${QB_RIG_DIR};QB_WIN_BUILD_DIR=${WIN_BUILD_DIR}")
endif()

# lint.cppcheck: our own code (not the tests), clean at the fault-finding levels. Each
# program is checked as its own whole (framework and common go into both), so the two
# programs' own dialog classes of one name are not taken for one class defined twice.
# useStlAlgorithm is left out: it only proposes <algorithm> calls for short loops.
find_program(QB_CPPCHECK cppcheck)
if(QB_CPPCHECK)
  set(QB_CPPCHECK_ARGS --enable=warning,style,performance,portability --std=c++17 --language=c++
      --library=windows --inline-suppr --quiet --error-exitcode=1
      -D_WIN32 -DWIN32 -DWIN32_LEAN_AND_MEAN -D_WIN32_WINNT=0x0601 -D__cplusplus=201703L
      -Iframework -Icommon -Iquillet -Ibrindle -Ibrindle/text -Ibrindle/export
      --suppress=missingIncludeSystem --suppress=useStlAlgorithm)
  list(JOIN QB_CPPCHECK_ARGS " " QB_CPPCHECK_LINE)
  add_test(NAME lint.cppcheck
    COMMAND sh -c "${QB_CPPCHECK} ${QB_CPPCHECK_LINE} framework common quillet && ${QB_CPPCHECK} ${QB_CPPCHECK_LINE} framework common brindle"
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(lint.cppcheck PROPERTIES TIMEOUT 600)
endif()

# lint.werror: the Windows build treats warnings as errors in every source of our own.
if(WIN_BUILD_DIR)
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  add_test(NAME lint.werror
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/werror.py ${WIN_BUILD_DIR} ${CMAKE_SOURCE_DIR})
endif()

# lint.planted_faults: every fault of scripts/planted-faults.txt still names a text that stands
# once in its file and tests of the tree that catch it, and tests/README.md's table is the one
# the list gives, so the list of what the tests catch cannot go stale unnoticed.
add_test(NAME lint.planted_faults COMMAND ${CMAKE_SOURCE_DIR}/scripts/plant-faults.sh --check)

# lint.format: every C++ source git tracks is laid out as .clang-format says.
add_test(NAME lint.format COMMAND ${CMAKE_SOURCE_DIR}/scripts/format.sh)

# The starter shortcut list that make run and make dist ship must stay loadable: the
# generator refuses any line the program would drop.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME release.starter_list
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make-starter.py
            ${CMAKE_SOURCE_DIR}/release/starter-shortcuts.txt ${CMAKE_BINARY_DIR}/Quillet.ini)
endif()
