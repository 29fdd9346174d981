# Installing lays out one self-contained program folder, varnook/ under the install prefix: the
# program, varnook-cli and the help file side by side. The program keeps data.enc in its own folder
# and creates it there at the first start, so the folder has to be the user's own; for the current
# user, tools/install-desktop.sh installs with the prefix ~/.local/opt.
set(VARNOOK_INSTALL_FOLDER varnook)

# Qt comes from the system's packages: the programs need no search path of their own.
set_target_properties(varnook varnook-cli PROPERTIES INSTALL_RPATH "")
install(TARGETS varnook varnook-cli RUNTIME DESTINATION ${VARNOOK_INSTALL_FOLDER})
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/Help.rtf)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/Help.rtf DESTINATION ${VARNOOK_INSTALL_FOLDER})
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/icon.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.png DESTINATION ${VARNOOK_INSTALL_FOLDER} RENAME varnook.png)
endif()
# Lets an unpacked archive add itself to the desktop's menu.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/install-desktop.sh DESTINATION ${VARNOOK_INSTALL_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VARNOOK_INSTALL_FOLDER})

# cpack, run in the build folder, packs the program folder as varnook-<version>-<system>.tar.gz,
# which unpacks to the folder varnook/.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME varnook)
set(CPACK_PACKAGE_VENDOR "${VARNOOK_COMPANY_NAME}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small single-user password store for the desktop")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_FILE_NAME "varnook-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX "/")
include(CPack)
