# Installs the build in BUILD into the fresh folder PREFIX, then checks that the tools, their man
# pages, the runtime header, the docs and the example are where a user looks for them, that every
# link between the docs holds there, and that the installed tools are stripped and run.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
  RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed: ${failed}")
endif()

include(GNUInstallDirs)
set(doc ${CMAKE_INSTALL_DATAROOTDIR}/doc/typekiln)
set(man ${CMAKE_INSTALL_MANDIR}/man1)
foreach(file
    ${CMAKE_INSTALL_BINDIR}/typekiln
    ${CMAKE_INSTALL_BINDIR}/typekiln-inspect
    ${CMAKE_INSTALL_BINDIR}/typekiln-import
    ${man}/typekiln.1.gz ${man}/typekiln-inspect.1.gz ${man}/typekiln-import.1.gz
    ${CMAKE_INSTALL_INCLUDEDIR}/typekiln_font.h
    ${doc}/README.md ${doc}/copyright ${doc}/docs/testing.md
    ${doc}/examples/example.tks ${doc}/examples/example.tga ${doc}/examples/example-shadow.tga)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Every link in the installed README and docs leads to a file installed with them.
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${PREFIX}/${doc}
  -P ${CMAKE_CURRENT_LIST_DIR}/doc_links.cmake RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "the installed docs have broken links")
endif()

# The tools are installed stripped: no symbol table, no .comment section.
execute_process(COMMAND readelf -S ${PREFIX}/${CMAKE_INSTALL_BINDIR}/typekiln
  OUTPUT_VARIABLE sections COMMAND_ERROR_IS_FATAL ANY)
if(sections MATCHES "[.]symtab|[.]comment")
  message(FATAL_ERROR "the installed typekiln is not stripped:\n${sections}")
endif()

# The installed example builds with the installed tool, from the example's own folder.
execute_process(COMMAND ${PREFIX}/${CMAKE_INSTALL_BINDIR}/typekiln example.tks ${PREFIX}/example.fnt
  WORKING_DIRECTORY ${PREFIX}/${doc}/examples INPUT_FILE /dev/null OUTPUT_QUIET
  RESULT_VARIABLE failed)
if(failed OR NOT EXISTS ${PREFIX}/example.fnt)
  message(FATAL_ERROR "the installed typekiln did not build the installed example: ${failed}")
endif()
