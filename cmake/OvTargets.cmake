# Helpers shared by every folder: warning flags, sanitizers, tests, fuzz
# targets and benchmarks are declared the same way everywhere.

set(OV_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor
                -Wno-missing-field-initializers -Werror)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND OV_WARNINGS -Wshadow=local)
  # g++ 12 at -O3 reports std::string's own copies as overlapping or
  # overflowing or uninitialised (known false positives of its inlining).
  list(APPEND OV_WARNINGS -Wno-restrict -Wno-stringop-overflow -Wno-array-bounds -Wno-maybe-uninitialized)
endif()

if(OV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(OV_FUZZ)
  # Everything is instrumented for coverage; only the fuzz targets link
  # libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The subsystem folders in build order. OV_SUBSYSTEMS limits a build tree to
# some of them (a semicolon list), e.g. -DOV_SUBSYSTEMS="platform;panel".
set(OV_ALL_SUBSYSTEMS platform archive archive_decoders panel viewers news shell fileops media tools setup cli)
set(OV_SUBSYSTEMS "${OV_ALL_SUBSYSTEMS}" CACHE STRING "Subsystem folders to build")

# ov_add_subsystems(): adds the sub-folders of the current folder that are
# named in OV_SUBSYSTEMS and have a CMakeLists.txt.
macro(ov_add_subsystems)
  foreach(sub ${OV_ALL_SUBSYSTEMS})
    if(sub IN_LIST OV_SUBSYSTEMS AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/CMakeLists.txt)
      add_subdirectory(${sub})
    endif()
  endforeach()
endmacro()

# ov_warnings(target): our own code builds without a single warning.
function(ov_warnings target)
  target_compile_options(${target} PRIVATE ${OV_WARNINGS})
endfunction()

# ov_library(name [QT] SOURCES ... LIBS ...): a static library of our code.
function(ov_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_LIBS})
  ov_warnings(${name})
endfunction()

# ov_add_test(name [GUI] SOURCES ... LIBS ...): a GoogleTest binary run by
# CTest. GUI tests run with the offscreen platform and without LeakSanitizer
# (Qt keeps process-wide caches that it never frees).
find_package(GTest QUIET)
function(ov_add_test name)
  if(NOT OV_TESTS OR OV_FUZZ)
    return()
  endif()
  cmake_parse_arguments(A "GUI" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE
    OV_DATA_DIR="${OV_DATA_DIR}" OV_SHARED_FIXTURES="${OV_SHARED_FIXTURES}"
    OV_BINARY_DIR="${PROJECT_BINARY_DIR}")
  ov_warnings(${name})
  add_test(NAME ${name} COMMAND ${name})
  set(env "TZ=UTC;LC_ALL=C.UTF-8;QT_QPA_PLATFORM=offscreen")
  if(A_GUI)
    list(APPEND env "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set(timeout 600)
  if(A_TIMEOUT)
    set(timeout ${A_TIMEOUT})
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${timeout})
endfunction()

# ov_add_fuzz(name SOURCES ... LIBS ...): a libFuzzer target. In a fuzz build
# (scripts/fuzz) it links libFuzzer; in the normal build it links a replay
# driver and CTest runs it over fuzz/corpus/<name> and fuzz/regressions/<name>.
function(ov_add_fuzz name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  set(regressions ${PROJECT_SOURCE_DIR}/fuzz/regressions/${name})
  if(OV_FUZZ)
    add_executable(fuzz_${name} ${A_SOURCES})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  elseif(OV_TESTS)
    add_executable(fuzz_${name} ${A_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay_${name} COMMAND fuzz_${name} ${corpus} ${regressions})
    set_tests_properties(fuzz_replay_${name} PROPERTIES ENVIRONMENT
        "TZ=UTC;LC_ALL=C.UTF-8;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/fuzz/lsan_suppressions.txt" TIMEOUT 900)
  else()
    return()
  endif()
  target_link_libraries(fuzz_${name} PRIVATE ${A_LIBS})
  target_include_directories(fuzz_${name} PRIVATE ${PROJECT_SOURCE_DIR})
  ov_warnings(fuzz_${name})
endfunction()

# ov_add_bench(name SOURCES ... LIBS ...): a Google Benchmark binary that
# scripts/bench runs; each benchmark reports its anchor in the same run.
function(ov_add_bench name)
  if(NOT OV_BENCH)
    return()
  endif()
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(bench_${name} ${A_SOURCES})
  target_link_libraries(bench_${name} PRIVATE ${A_LIBS} benchmark::benchmark)
  target_include_directories(bench_${name} PRIVATE ${PROJECT_SOURCE_DIR})
  ov_warnings(bench_${name})
endfunction()
