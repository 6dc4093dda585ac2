# Manual pages, licence and changelog, for `cmake --install` and the Debian package:
#   share/man/man1/vontal.1.gz, share/man/man1/vontalloginhelper.1.gz
#   share/doc/vontal/copyright, share/doc/vontal/changelog.gz
# Compressed with `gzip -9n`: the best compression and no name or time stamp, so that two builds
# of one source give the same bytes (Debian's policy for compressed documentation).

find_program(VONTAL_GZIP gzip REQUIRED)
set(VONTAL_DOC_STAGE ${CMAKE_BINARY_DIR}/doc)
set(VONTAL_DOC_SOURCES
  ${CMAKE_SOURCE_DIR}/data/man/vontal.1
  ${CMAKE_SOURCE_DIR}/data/man/vontalloginhelper.1
  ${CMAKE_SOURCE_DIR}/data/debian/changelog.in)
set(VONTAL_DOC_GZ)
foreach(source ${VONTAL_DOC_SOURCES})
  get_filename_component(name ${source} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  configure_file(${source} ${VONTAL_DOC_STAGE}/${name} @ONLY)
  add_custom_command(OUTPUT ${VONTAL_DOC_STAGE}/${name}.gz
    COMMAND ${VONTAL_GZIP} -9nkf ${VONTAL_DOC_STAGE}/${name}
    DEPENDS ${VONTAL_DOC_STAGE}/${name} ${source}
    COMMENT "Compressing ${name}")
  list(APPEND VONTAL_DOC_GZ ${VONTAL_DOC_STAGE}/${name}.gz)
endforeach()
add_custom_target(vontal_docs ALL DEPENDS ${VONTAL_DOC_GZ})

install(FILES ${VONTAL_DOC_STAGE}/vontal.1.gz ${VONTAL_DOC_STAGE}/vontalloginhelper.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian names a native package's changelog changelog.gz, beside the copyright file.
install(FILES ${CMAKE_SOURCE_DIR}/data/debian/copyright ${VONTAL_DOC_STAGE}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vontal)
