# Shared compile settings and helpers for Kinora's targets.

add_library(kinora_options INTERFACE)
target_compile_options(kinora_options INTERFACE
  -Wall -Wextra
  -Wno-multichar            # four-character codes such as 'MooV' are part of the API
  $<$<BOOL:${KINORA_WERROR}>:-Werror>)
target_include_directories(kinora_options INTERFACE ${PROJECT_SOURCE_DIR})

if(KINORA_SANITIZE)
  target_compile_options(kinora_options INTERFACE
    -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(kinora_options INTERFACE -fsanitize=address,undefined)
  target_compile_definitions(kinora_options INTERFACE KINORA_SANITIZE_BUILD=1)
endif()

if(KINORA_FUZZ AND KINORA_FUZZ_COVERAGE)
  # Coverage for libFuzzer in every library the fuzz targets link, for
  # fuzzing campaigns. Without it only each fuzz target's own source is
  # instrumented: enough to replay the saved corpora, and the tests built
  # alongside are not instrumented for nothing.
  target_compile_options(kinora_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A test that has not finished after this many seconds has hung: ctest ends
# it and reports it, so one hang never stalls the whole run.
set(KINORA_TEST_TIMEOUT 300 CACHE STRING "Seconds a single test may run")

# The headers nearly every test source includes, precompiled once and
# shared by the test executables (kinora_test_pch compiles them; the test
# targets reuse its result, so their flags must stay the same as its own).
set(KINORA_TEST_PCH_HEADERS
  <gtest/gtest.h> <algorithm> <array> <cstdint> <cstring> <filesystem> <fstream> <functional>
  <map> <memory> <optional> <set> <sstream> <string> <vector>
  "${PROJECT_SOURCE_DIR}/platform/Types.h")

function(kinora_test_options target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The platform's libraries are named, not only reached through kplatform,
  # so that they come before GoogleTest on the link line: an archive after
  # it would be searched for the library templates GoogleTest uses and could
  # bring in managers (and their start-up registrations) the test never uses.
  target_link_libraries(${target} PRIVATE ktestsupport kplatform ${KINORA_PLATFORM_LIBRARIES} kinora_options
    GTest::gtest GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    KINORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    KINORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  if(KINORA_TEST_PCH)
    # GCC forgets that code from a precompiled header is system code, and its
    # known false alarms inside std::string's inlined copies then turn up.
    target_compile_options(${target} PRIVATE
      $<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread>)
  endif()
endfunction()

# kinora_test(NAME <name> LABEL <area> SOURCES <files...> [LIBS <libs...>]
#             [PROPERTIES <ctest properties...>] [NO_PCH])
# One GoogleTest executable; each TEST becomes a CTest test carrying the area
# label, the time limit and any further properties given. NO_PCH: its
# libraries add compile flags (SDL's), so it cannot reuse the shared
# precompiled headers.
function(kinora_test)
  cmake_parse_arguments(T "NO_PCH" "NAME;LABEL" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  kinora_test_options(${T_NAME})
  if(KINORA_TEST_PCH AND NOT T_NO_PCH)
    target_precompile_headers(${T_NAME} REUSE_FROM kinora_test_pch)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${KINORA_TEST_TIMEOUT} ${T_PROPERTIES})
endfunction()

# kinora_fuzz(NAME <name> SOURCES <files...> [LIBS <libs...>])
# A libFuzzer target linking the libraries it names (the whole platform,
# kplatform, when it names none); the saved corpus in fuzz/corpus/<name> is
# replayed as a CTest test.
function(kinora_fuzz)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  if(NOT F_LIBS)
    set(F_LIBS kplatform)
  endif()
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} kinora_options)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${F_NAME})
  add_test(NAME fuzz-replay-${F_NAME}
    COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${F_NAME}> -DCORPUS=${corpus}
            -P ${PROJECT_SOURCE_DIR}/cmake/ReplayCorpus.cmake)
  set_tests_properties(fuzz-replay-${F_NAME} PROPERTIES LABELS fuzz TIMEOUT ${KINORA_TEST_TIMEOUT})
endfunction()

# kinora_manager(NAME <target> [OBJECT] SOURCES <files...>
#                [PUBLIC <libraries...>] [PRIVATE <libraries...>])
# A platform library made of the folder it is declared in (with the folders
# below it that declare nothing of their own). Its dependencies on other
# platform libraries are recorded: kinora_write_layers() writes them out for
# the layering test, which holds every #include "platform/..." to them.
function(kinora_manager)
  cmake_parse_arguments(M "OBJECT" "NAME" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  if(M_OBJECT)
    add_library(${M_NAME} OBJECT ${M_SOURCES})
  else()
    add_library(${M_NAME} STATIC ${M_SOURCES})
  endif()
  target_link_libraries(${M_NAME} PUBLIC kinora_options ${M_PUBLIC} PRIVATE ${M_PRIVATE})
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}/platform" "${CMAKE_CURRENT_SOURCE_DIR}")
  set_property(GLOBAL APPEND PROPERTY KINORA_MANAGERS ${M_NAME})
  set_property(GLOBAL PROPERTY KINORA_MANAGER_FOLDER_${M_NAME} "${folder}")
  set_property(GLOBAL PROPERTY KINORA_MANAGER_DEPENDS_${M_NAME} ${M_PUBLIC} ${M_PRIVATE})
endfunction()

# Writes <build>/platform-layers.txt, one line per platform library:
#   <library> <folder> <platform libraries it depends on...>
function(kinora_write_layers)
  get_property(managers GLOBAL PROPERTY KINORA_MANAGERS)
  set(text "# library folder dependencies... (written by CMake for the layering test)\n")
  foreach(m ${managers})
    get_property(folder GLOBAL PROPERTY KINORA_MANAGER_FOLDER_${m})
    get_property(depends GLOBAL PROPERTY KINORA_MANAGER_DEPENDS_${m})
    set(line "${m} ${folder}")
    foreach(d ${depends})
      if(d IN_LIST managers)
        string(APPEND line " ${d}")
      endif()
    endforeach()
    string(APPEND text "${line}\n")
  endforeach()
  file(WRITE "${CMAKE_BINARY_DIR}/platform-layers.txt.new" "${text}")
  configure_file("${CMAKE_BINARY_DIR}/platform-layers.txt.new" "${CMAKE_BINARY_DIR}/platform-layers.txt" COPYONLY)
endfunction()
