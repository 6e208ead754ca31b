# Fails when the runtime, built for the console, needs a function from outside itself: a library
# helper that a 32-bit processor calls for 64-bit division, or memcpy for a struct copy. Nothing
# but the header's own code may run on the console.
# cmake -DNM=mips-linux-gnu-nm "-DOBJECTS=typekiln_font-O0.o;typekiln_font-Os.o" -P calls_nothing.cmake
foreach(object ${OBJECTS})
  execute_process(COMMAND ${NM} -u ${object} OUTPUT_VARIABLE needed RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} -u ${object} ended with ${status}")
  endif()
  if(NOT needed STREQUAL "")
    message(FATAL_ERROR
      "The runtime built for the console (${object}) calls functions it does not define:\n${needed}")
  endif()
endforeach()
message(STATUS "The runtime built for the console calls nothing outside itself")
