# Installing lays out one self-contained program folder, varnook/ under the install prefix: the
# program, varnook-cli and the help file side by side (component "portable"). The program keeps
# data.enc in its own folder and creates it there at the first start, where the user may write it;
# for the current user, tools/install-desktop.sh installs with the prefix ~/.local/opt. The Debian
# package's layout is cmake/Packaging.cmake's.
set(VARNOOK_INSTALL_FOLDER varnook)

# Qt comes from the system's packages: the programs need no search path of their own.
set_target_properties(varnook varnook-cli PROPERTIES INSTALL_RPATH "")
install(TARGETS varnook varnook-cli RUNTIME DESTINATION ${VARNOOK_INSTALL_FOLDER} COMPONENT portable)
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/Help.rtf)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/Help.rtf DESTINATION ${VARNOOK_INSTALL_FOLDER} COMPONENT portable)
endif()
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/icon.png)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icon.png DESTINATION ${VARNOOK_INSTALL_FOLDER} RENAME varnook.png
            COMPONENT portable)
endif()
# Lets an unpacked archive add itself to the desktop's menu, with the Debian package's menu entry.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/tools/install-desktop.sh DESTINATION ${VARNOOK_INSTALL_FOLDER}
        COMPONENT portable)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/varnook.desktop DESTINATION ${VARNOOK_INSTALL_FOLDER} COMPONENT portable)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VARNOOK_INSTALL_FOLDER} COMPONENT portable)
