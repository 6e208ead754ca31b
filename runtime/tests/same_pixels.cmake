# Runs the runtime's tests here and on MIPS under QEMU, each writing every pixel value it drew
# with the example font, and fails unless both pass and wrote the same values.
# cmake -DHOST=program -DQEMU=qemu-mips -DMIPS=program -DFONTS=folder -P same_pixels.cmake
set(HOST_RUN ${HOST})
set(MIPS_RUN ${QEMU} ${MIPS})
foreach(side HOST MIPS)
  execute_process(COMMAND ${${side}_RUN} ${FONTS}/example.fnt ${FONTS}/vertical.fnt
      ${FONTS}/pixels-${side}.txt
    RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${${side}_RUN} ended with ${status}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
    ${FONTS}/pixels-HOST.txt ${FONTS}/pixels-MIPS.txt
  RESULT_VARIABLE differ)
file(SIZE ${FONTS}/pixels-HOST.txt size)
if(NOT differ EQUAL 0 OR size EQUAL 0)
  message(FATAL_ERROR "The pixels drawn on MIPS differ from those drawn here")
endif()
message(STATUS "${size} bytes of pixel values, the same on both")
