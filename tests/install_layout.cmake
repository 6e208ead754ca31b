# Installs the build in BUILD into the fresh folder PREFIX, then checks that the tools, their man
# pages, the runtime header, the docs and the example are where a user looks for them, and that
# the installed tools run.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed: ${failed}")
endif()

include(GNUInstallDirs)
set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/typekiln)
foreach(file
    ${CMAKE_INSTALL_BINDIR}/typekiln
    ${CMAKE_INSTALL_BINDIR}/typekiln-inspect
    ${CMAKE_INSTALL_BINDIR}/typekiln-import
    ${CMAKE_INSTALL_MANDIR}/man1/typekiln.1
    ${CMAKE_INSTALL_MANDIR}/man1/typekiln-inspect.1
    ${CMAKE_INSTALL_MANDIR}/man1/typekiln-import.1
    ${CMAKE_INSTALL_INCLUDEDIR}/typekiln_font.h
    ${doc}/README.md ${doc}/script.md ${doc}/font-format.md ${doc}/inspect.md ${doc}/drawing.md
    ${doc}/import.md ${doc}/import-sheet.png ${doc}/example-preview.png
    ${doc}/examples/example.tks ${doc}/examples/example.tga ${doc}/examples/example-shadow.tga)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# The installed example builds with the installed tool, from the example's own folder.
execute_process(COMMAND ${PREFIX}/${CMAKE_INSTALL_BINDIR}/typekiln example.tks ${PREFIX}/example.fnt
  WORKING_DIRECTORY ${PREFIX}/${doc}/examples INPUT_FILE /dev/null OUTPUT_QUIET
  RESULT_VARIABLE failed)
if(failed OR NOT EXISTS ${PREFIX}/example.fnt)
  message(FATAL_ERROR "the installed typekiln did not build the installed example: ${failed}")
endif()
