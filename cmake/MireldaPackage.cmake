# Desktop integration beyond the program's own files (AppStream metadata, manual pages, the
# licence) and the Debian package built from the same install rules:
#   cmake --build BUILD && (cd BUILD && cpack -G DEB)   ->  mirelda_<version>_<arch>.deb
# scripts/package.sh does that from a Release build.

set(MIRELDA_APPSTREAM_ID "io.github.mirelda.mirelda")
set(metainfo "${PROJECT_SOURCE_DIR}/res/${MIRELDA_APPSTREAM_ID}.metainfo.xml")
set(desktop_entry "${PROJECT_SOURCE_DIR}/res/mirelda.desktop")

# Manual pages, compressed as Debian installs them (-n: no time stamp, so the same source
# always gives the same bytes).
set(man_outputs)
foreach(page mirelda.1 mirelda-tool.1)
  set(out "${PROJECT_BINARY_DIR}/man/${page}")
  add_custom_command(
    OUTPUT "${out}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/res/man/${page}" "${out}"
    COMMAND gzip -9 -n -f "${out}"
    DEPENDS "${PROJECT_SOURCE_DIR}/res/man/${page}"
    COMMENT "Compressing the manual page ${page}"
    VERBATIM)
  list(APPEND man_outputs "${out}.gz")
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_outputs})

# Debian wants the change logs in the package's documentation folder, compressed: the project's
# own (NEWS) as changelog.gz, the packaging's as changelog.Debian.gz; and the README, the
# reference of the source formats that mirelda-tool(1) points to, likewise.
set(doc_outputs)
foreach(pair "NEWS|changelog" "res/debian/changelog|changelog.Debian" "README.md|README.md")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  set(out "${PROJECT_BINARY_DIR}/doc/${name}")
  add_custom_command(
    OUTPUT "${out}.gz"
    COMMAND "${CMAKE_COMMAND}" -E copy "${PROJECT_SOURCE_DIR}/${source}" "${out}"
    COMMAND gzip -9 -n -f "${out}"
    DEPENDS "${PROJECT_SOURCE_DIR}/${source}"
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND doc_outputs "${out}.gz")
endforeach()
add_custom_target(package_docs ALL DEPENDS ${doc_outputs})

install(FILES ${man_outputs} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES ${doc_outputs} DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/mirelda")
install(FILES "${PROJECT_SOURCE_DIR}/res/debian/lintian-overrides"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/lintian/overrides" RENAME mirelda)
install(FILES "${metainfo}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# Debian's place for the licence statement; the full text is the system's GPL-2.
install(FILES "${PROJECT_SOURCE_DIR}/res/debian/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/mirelda")

# The software centre and the menu read these files: the validators must accept them.
if(MIRELDA_BUILD_TESTS)
  find_program(APPSTREAMCLI appstreamcli)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  foreach(check APPSTREAMCLI DESKTOP_FILE_VALIDATE)
    if(NOT ${check})
      string(TOLOWER "${check}" program)
      string(REPLACE "_" "-" program "${program}")
      set(${check} sh -c "echo '${program} is missing: run scripts/setup.sh' >&2; exit 1" --)
    endif()
  endforeach()
  add_test(NAME metadata_appstream COMMAND ${APPSTREAMCLI} validate --no-net "${metainfo}")
  add_test(NAME metadata_desktop_entry COMMAND ${DESKTOP_FILE_VALIDATE} "${desktop_entry}")
  set_tests_properties(metadata_appstream metadata_desktop_entry PROPERTIES LABELS package TIMEOUT 60)
  # The installed help-set type and menu entry, as xdg-mime answers for them (needs a full build).
  add_test(NAME metadata_mime_type
    COMMAND bash "${PROJECT_SOURCE_DIR}/tests/package/desktop_integration.sh" "${PROJECT_BINARY_DIR}")
  set_tests_properties(metadata_mime_type PROPERTIES LABELS package TIMEOUT 120)
endif()

# ---- The Debian package ------------------------------------------------------------------
set(CPACK_PACKAGE_NAME "mirelda")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Mirelda authors")
set(CPACK_PACKAGE_CONTACT "Mirelda maintainers <maintainers@users.noreply.c-seed-6ead6498.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for on-line help sets")
# One line of the control file each (CPack indents them).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Mirelda opens a help set and shows its contents tree beside the current"
  "article, formatted as it was written, with its links and pop-up articles."
  "It keeps the history of the articles read and the reader's bookmarks,"
  "searches every article or the current one, and keeps a personal annotation"
  "for each article. mirelda-tool inspects, checks and searches help sets and"
  "compiles new ones from RTF or Markdown sources.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR "DEB")

# Version 0.1.0-1: the upstream version and the packaging's revision, as in changelog.Debian.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # mirelda_<version>-<revision>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION "doc")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/mirelda/mirelda")
# The libraries the programs link come from dpkg-shlibdeps; Qt's window-system plugins are
# loaded at run time, so no link names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Qt's own dialogs in French; Wayland sessions; the metric-compatible faces of the fonts Word
# documents name (Times New Roman, Arial, Courier New, Calibri, Cambria), so lines break where
# their authors saw them break.
string(JOIN ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS
  qt6-translations-l10n qt6-wayland
  fonts-liberation2 fonts-crosextra-carlito fonts-crosextra-caladea)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
