# Makes one manual page as it is installed, from its roff source SOURCE: OUTPUT ending in .gz is
# the page gzipped as Debian wants it (the most compression, no name or time in the header); one
# ending in .html is the page as HTML, made by MANDOC, which stops at the page's first warning.
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
if(OUTPUT MATCHES "\\.gz$")
  execute_process(COMMAND gzip -9 -n -c ${SOURCE} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE failed)
else()
  execute_process(COMMAND ${MANDOC} -Thtml -Wwarning,stop ${SOURCE} OUTPUT_FILE ${OUTPUT}
    RESULT_VARIABLE failed)
endif()
if(failed)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "could not make ${OUTPUT} from ${SOURCE}: ${failed}")
endif()
