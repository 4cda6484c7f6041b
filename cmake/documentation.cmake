# The manual pages (the English one serves both commands, the French one the
# French command in French), the README, the copyright file and the changelog, in
# the places Debian expects them, compressed as Debian compresses them.

set(doc_build "${PROJECT_BINARY_DIR}/doc")
set(compressed "")

# Compresses source into doc_build/name.gz, with no name or time stamp inside.
function(add_compressed source name)
  set(output "${doc_build}/${name}.gz")
  add_custom_command(OUTPUT "${output}" COMMAND gzip -9nc "${source}" > "${output}"
                     DEPENDS "${source}" VERBATIM)
  set(compressed ${compressed} "${output}" PARENT_SCOPE)
endfunction()

configure_file(docs/man/notecreator_en.1.in "${doc_build}/notecreator_en.1" @ONLY)
configure_file(docs/man/fr/notecreator_fr.1.in "${doc_build}/fr/notecreator_fr.1" @ONLY)
add_compressed("${doc_build}/notecreator_en.1" notecreator_en.1)
add_compressed("${doc_build}/fr/notecreator_fr.1" fr/notecreator_fr.1)
add_compressed("${PROJECT_SOURCE_DIR}/packaging/debian/changelog" changelog)
add_custom_target(documentation ALL DEPENDS ${compressed})
file(CREATE_LINK notecreator_en.1.gz "${doc_build}/notecreator_fr.1.gz" SYMBOLIC)

install(FILES "${doc_build}/notecreator_en.1.gz" "${doc_build}/notecreator_fr.1.gz"
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES "${doc_build}/fr/notecreator_fr.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES README.md packaging/debian/copyright "${doc_build}/changelog.gz"
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The changelog's newest entry names the version being built.
file(STRINGS packaging/debian/changelog newest_entry LIMIT_COUNT 1)
if(NOT newest_entry MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog must start with version ${PROJECT_VERSION}")
endif()
