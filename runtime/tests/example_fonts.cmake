# Builds the example font twice with typekiln: as the artist drew it (OUT/example.fnt), and for a
# screen on its side (OUT/vertical.fnt, the same script with `Type Vertical` at its end).
# cmake -DTYPEKILN=... -DEXAMPLES=... -DOUT=... -P example_fonts.cmake
file(MAKE_DIRECTORY ${OUT})
file(READ ${EXAMPLES}/example.tks script)
file(WRITE ${OUT}/vertical.tks "${script}\nType Vertical\n")
foreach(pair "example.tks;example.fnt" "${OUT}/vertical.tks;vertical.fnt")
  list(GET pair 0 source)
  list(GET pair 1 font)
  # The script names its picture relative to the examples folder.
  execute_process(COMMAND ${TYPEKILN} ${source} ${OUT}/${font}
    WORKING_DIRECTORY ${EXAMPLES} INPUT_FILE /dev/null OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "typekiln ${source} ${font} ended with ${status}")
  endif()
endforeach()
