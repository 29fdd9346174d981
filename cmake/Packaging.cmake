# Packages of this build, made by cpack in the build folder:
#   cpack               varnook-<version>-<system>-<machine>.tar.gz, the portable program folder
#   cpack -G DEB        varnook_<version>_<arch>.deb for Debian (make deb)
# The Debian package installs the programs in /usr/bin, their files in /usr/share/varnook, and the
# menu entry, the icon theme's sizes and the software centres' metadata where Debian looks for them.
# Its install rules belong to the component "package", which a plain `cmake --install` leaves out:
# that lays out the portable folder (component "portable", cmake/VarnookInstall.cmake). Whatever is
# installed without a component (man pages, shell completion) goes into both.
# Included last, after every install rule: the package takes every component but the portable one.
# Its values are cmake/PackageValues.cmake's.
set(_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(_made ${PROJECT_BINARY_DIR}/packaging)
configure_file(${_packaging}/varnook.metainfo.xml.in ${_made}/${VARNOOK_APP_ID}.metainfo.xml @ONLY)
configure_file(${_packaging}/changelog.in ${_made}/changelog @ONLY)
add_custom_command(OUTPUT ${_made}/changelog.gz
    COMMAND sh -c "gzip -9n -c changelog > changelog.gz"
    WORKING_DIRECTORY ${_made}
    DEPENDS ${_made}/changelog
    VERBATIM)

# The icon theme's sizes, made from resources/icon.png (scaled down) and packaging/varnook.svg (the
# sizes above the bitmap's), with Qt's own image and SVG code.
find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
qt_add_executable(varnook-icon-sizes ${_packaging}/IconSizes.cpp)
target_link_libraries(varnook-icon-sizes PRIVATE Qt6::Gui Qt6::Svg)
set(VARNOOK_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(_icons)
foreach(size IN LISTS VARNOOK_ICON_SIZES)
    list(APPEND _icons ${_made}/icons/${size}x${size}/apps/varnook.png)
endforeach()
add_custom_command(OUTPUT ${_icons}
    COMMAND varnook-icon-sizes ${_made}/icons ${PROJECT_SOURCE_DIR}/resources/icon.png ${_packaging}/varnook.svg
            ${VARNOOK_ICON_SIZES}
    DEPENDS varnook-icon-sizes ${PROJECT_SOURCE_DIR}/resources/icon.png ${_packaging}/varnook.svg
    VERBATIM)
add_custom_target(varnook_package_files ALL DEPENDS ${_icons} ${_made}/changelog.gz)

set(_share ${CMAKE_INSTALL_DATADIR})
install(TARGETS varnook varnook-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT package EXCLUDE_FROM_ALL)
# The programs find their files here: ProgramFolders looks in ../share/varnook beside bin.
install(FILES ${PROJECT_SOURCE_DIR}/resources/Help.rtf DESTINATION ${_share}/varnook
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${_packaging}/varnook.desktop DESTINATION ${_share}/applications COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${_made}/${VARNOOK_APP_ID}.metainfo.xml DESTINATION ${_share}/metainfo
        COMPONENT package EXCLUDE_FROM_ALL)
install(DIRECTORY ${_made}/icons/ DESTINATION ${_share}/icons/hicolor COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${_packaging}/varnook.svg DESTINATION ${_share}/icons/hicolor/scalable/apps
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${_packaging}/copyright ${_made}/changelog.gz DESTINATION ${_share}/doc/varnook
        COMPONENT package EXCLUDE_FROM_ALL)
install(FILES ${_packaging}/lintian-overrides DESTINATION ${_share}/lintian/overrides RENAME varnook
        COMPONENT package EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME varnook)
set(CPACK_PACKAGE_VENDOR "${VARNOOK_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small single-user password store for the desktop")
set(CPACK_PACKAGE_VERSION "${VARNOOK_PACKAGE_VERSION}")
set(CPACK_STRIP_FILES ON)

# The portable folder: cpack's default, varnook-<version>-<system>.tar.gz, which unpacks to varnook/.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_FILE_NAME "varnook-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX "/")

# The Debian package: every component but the portable folder, in one package.
get_cmake_property(_components COMPONENTS)
list(REMOVE_ITEM _components portable)
set(VARNOOK_DEB_COMPONENTS ${_components})
# For the test that installs what the package holds.
file(WRITE ${_made}/deb-components.txt "${VARNOOK_DEB_COMPONENTS}")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_PACKAGE_NAME varnook)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VARNOOK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://${VARNOOK_COMMENTS}/")
# The long description; cpack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Varnook keeps a list of entries (user name, password, and where it is used:
a web address, a host name, a folder) in one main window, behind a master
password. Every change is saved at once, and a save never destroys the
previous file; the data file can be encrypted with XChaCha20-Poly1305 under
a key that Argon2id makes from the master password.
.
varnook-cli exports the entries to CSV, imports them from it, checks and
merges data files, and protects them.")
# The libraries the programs link, as dpkg-shlibdeps finds them, and what they start or load:
# xdg-utils for Go To, Qt's platform plugins for X11 and Wayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, qt6-qpa-plugins, qt6-wayland")
# The programs are stripped and their debug symbols left out: CMake 3.25's varnook-dbgsym package
# lists build paths in its md5sums and has no copyright file, which lintian rejects. The build
# folder keeps the programs with their symbols.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What differs between the two generators is set as cpack runs.
configure_file(${PROJECT_SOURCE_DIR}/cmake/CPackGenerators.cmake.in ${PROJECT_BINARY_DIR}/CPackGenerators.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackGenerators.cmake)
include(CPack)
