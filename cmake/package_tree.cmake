# Run by CPack on the files it has installed to pack, before it packs them. The Debian package
# also gets its changelog and lintian's overrides, which only a .deb carries. With
# SOURCE_DATE_EPOCH set, every file and folder gets that time, so that the package's bytes do
# not depend on when the source was checked out or built.
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
set(source ${CPACK_TYPEKILN_SOURCE_DIR})
if(CPACK_GENERATOR STREQUAL "DEB")
  set(usr ${root}${CPACK_PACKAGING_INSTALL_PREFIX})
  set(doc ${usr}/share/doc/typekiln)
  execute_process(COMMAND gzip -9 -n -c ${source}/packaging/debian/changelog
    OUTPUT_FILE ${doc}/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
  # Not file(INSTALL): CPack's DESTDIR would put the file under the staging folder twice.
  execute_process(COMMAND install -D -m 644 ${source}/packaging/debian/lintian-overrides
    ${usr}/share/lintian/overrides/typekiln COMMAND_ERROR_IS_FATAL ANY)
endif()
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  file(GLOB_RECURSE entries LIST_DIRECTORIES true ${root}/*)
  execute_process(COMMAND touch -h -d @$ENV{SOURCE_DATE_EPOCH} ${root} ${entries}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
