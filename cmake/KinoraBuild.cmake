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

if(KINORA_FUZZ)
  # Coverage for libFuzzer in every library the fuzz targets link.
  target_compile_options(kinora_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A test that has not finished after this many seconds has hung: ctest ends
# it and reports it, so one hang never stalls the whole run.
set(KINORA_TEST_TIMEOUT 300 CACHE STRING "Seconds a single test may run")

# kinora_test(NAME <name> LABEL <area> SOURCES <files...> [LIBS <libs...>])
# One GoogleTest executable; each TEST becomes a CTest test carrying the area label.
function(kinora_test)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} ktestsupport kplatform kinora_options GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    KINORA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    KINORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${KINORA_TEST_TIMEOUT})
endfunction()

# kinora_fuzz(NAME <name> SOURCES <files...> [LIBS <libs...>])
# A libFuzzer target; the saved corpus in fuzz/corpus/<name> is replayed as a CTest test.
function(kinora_fuzz)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS} kplatform kinora_options)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${F_NAME})
  add_test(NAME fuzz-replay-${F_NAME}
    COMMAND ${CMAKE_COMMAND} -DFUZZER=$<TARGET_FILE:${F_NAME}> -DCORPUS=${corpus}
            -P ${PROJECT_SOURCE_DIR}/cmake/ReplayCorpus.cmake)
  set_tests_properties(fuzz-replay-${F_NAME} PROPERTIES LABELS fuzz TIMEOUT ${KINORA_TEST_TIMEOUT})
endfunction()
