# Fails when the runtime, built for the console, needs a function from outside itself: a library
# helper that a 32-bit processor calls for 64-bit division, or memset. Nothing but the header's
# own code may run on the console.
# cmake -DNM=mips-linux-gnu-nm -DOBJECT=typekiln_font.o -P calls_nothing.cmake
execute_process(COMMAND ${NM} -u ${OBJECT} OUTPUT_VARIABLE needed RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} -u ${OBJECT} ended with ${status}")
endif()
if(NOT needed STREQUAL "")
  message(FATAL_ERROR "The runtime built for the console calls functions it does not define:\n${needed}")
endif()
message(STATUS "The runtime built for the console calls nothing outside itself")
