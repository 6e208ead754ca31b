# Run by CPack on the files it has installed to pack into the .deb, before it packs them: adds
# the Debian changelog, gzipped as Debian wants (the most compression, no name or time in the
# header), and lintian's overrides, which only the package carries.
set(usr ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(source ${CPACK_TYPEKILN_SOURCE_DIR}/packaging/debian)
execute_process(COMMAND gzip -9 -n -c ${source}/changelog
  OUTPUT_FILE ${usr}/share/doc/typekiln/changelog.Debian.gz COMMAND_ERROR_IS_FATAL ANY)
# Not file(INSTALL), which would put the file under CPack's DESTDIR a second time.
execute_process(COMMAND install -D -m 644 ${source}/lintian-overrides
  ${usr}/share/lintian/overrides/typekiln COMMAND_ERROR_IS_FATAL ANY)
