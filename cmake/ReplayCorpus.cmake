# Runs a libFuzzer binary once over every input of its saved corpus.
file(GLOB inputs "${CORPUS}/*")
if(NOT inputs)
  message(FATAL_ERROR "empty corpus: ${CORPUS}")
endif()
execute_process(COMMAND ${FUZZER} -runs=0 ${CORPUS} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed on its corpus (exit ${rc})\n${err}")
endif()
