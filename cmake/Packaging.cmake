# The Debian package (cpack -G DEB): what `cmake --install` puts under /usr, with the
# dependencies dpkg-shlibdeps reads from the programs and scripts that refresh the desktop's
# menus, file types and icons.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmo)
set(CPACK_PACKAGE_VENDOR "Velmo developers")
set(CPACK_PACKAGE_CONTACT "Velmo developers <velmo-dev@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Velmo keeps several sites in one .vlm document: templates, a menu tree of categories "
    "holding pages, and pages holding content blocks. It turns a site into a folder of static "
    "HTML, scales the pictures it uses and previews the page being edited. The user interface "
    "is Japanese. velmo-cli builds and checks sites without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Symbols only make the download larger: nobody debugs an installed Release build with them.
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see them: TIFF pictures, Qt's own dialogs in
# Japanese, and a font without which the Japanese interface shows empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-image-formats-plugins, qt6-translations-l10n, fonts-noto-cjk")
# One script serves as postinst and postrm: both refresh the same caches. dpkg knows a control
# file by its name, hence the two copies.
foreach(_velmo_script IN ITEMS postinst postrm)
    configure_file("${PROJECT_SOURCE_DIR}/resources/debian/maintainer-script"
        "${PROJECT_BINARY_DIR}/debian/${_velmo_script}" COPYONLY)
    list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_BINARY_DIR}/debian/${_velmo_script}")
endforeach()
# Maintainer scripts 0755 and other control files 0644, whatever the checkout's file modes.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
