# `cpack -G DEB` in the build folder makes lumbra_<version>_amd64.deb from the install rules
# of LumbraInstall.cmake: the program and its data in /opt/lumbra, the `lumbra` command in
# /usr/bin, the menu entry in /usr/share/applications and the session entry in
# /usr/share/xsessions. The libraries' packages are read from the executable and its modules
# (dpkg-shlibdeps, from dpkg-dev); what the program needs without linking it is named here.

set(CPACK_PACKAGE_NAME lumbra)
set(CPACK_PACKAGE_VENDOR "ORTAN")
set(CPACK_PACKAGE_CONTACT "Lumbra developers <lumbra@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simple full-screen desktop with large icons")
set(CPACK_PACKAGE_DESCRIPTION "One frameless window with a strip of tabs and pages of large
application icons, worked with the mouse or the keyboard alone, for beginners, children and
older people on modest hardware. It can be chosen as the whole session at the login screen.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Fonts for the scripts of every shipped language (see scripts/install-deps.sh).
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-dejavu-core, fonts-liberation, fonts-tlwg-loma-ttf | fonts-thai-tlwg, fonts-wqy-microhei | fonts-noto-cjk")
# Names spoken aloud need a voice; the tray icons a tray host, and a session of its own a
# window manager, which lumbra-start starts; addresses and documents open with xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-speech-speechd-plugin, speech-dispatcher, speech-dispatcher-espeak-ng, trayer | stalonetray, openbox | icewm | fluxbox, xdg-utils")

# The install rules put the command and the menu entry under /usr/local, where an install by
# hand belongs; a package's belong under /usr. Only folders left empty by the move go, so that
# a program folder chosen under /usr/local stays in the package.
set(LUMBRA_PACKAGE_MOVES ${CMAKE_BINARY_DIR}/LumbraPackageMoves.cmake)
get_filename_component(applications_parent ${LUMBRA_APPLICATIONS_DIR} DIRECTORY)
file(WRITE ${LUMBRA_PACKAGE_MOVES} "
set(stage \"\${CPACK_TEMPORARY_DIRECTORY}\")
file(MAKE_DIRECTORY \"\${stage}/usr/bin\" \"\${stage}/usr/share\")
file(RENAME \"\${stage}${LUMBRA_COMMAND_DIR}/lumbra\" \"\${stage}/usr/bin/lumbra\")
file(RENAME \"\${stage}${LUMBRA_APPLICATIONS_DIR}\" \"\${stage}/usr/share/applications\")
foreach(folder ${LUMBRA_COMMAND_DIR} ${applications_parent} /usr/local)
    file(GLOB left \"\${stage}\${folder}/*\")
    if(NOT left)
        file(REMOVE_RECURSE \"\${stage}\${folder}\")
    endif()
endforeach()
")
set(CPACK_PRE_BUILD_SCRIPTS ${LUMBRA_PACKAGE_MOVES})

include(CPack)
