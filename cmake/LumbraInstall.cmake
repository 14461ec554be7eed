# `cmake --install build` puts the program with everything it finds beside itself in one
# folder (the prefix, /opt/lumbra unless chosen otherwise), a `lumbra` command on the PATH, a
# menu entry, and a session entry so that the launcher can be chosen as the whole desktop at
# the login screen. The last three are absolute places the desktop looks in; DESTDIR stages
# them like everything else.

if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
    set(CMAKE_INSTALL_PREFIX /opt/lumbra CACHE PATH "Folder of the program and its data" FORCE)
endif()
set(LUMBRA_COMMAND_DIR /usr/local/bin CACHE PATH "Where the lumbra command goes")
set(LUMBRA_APPLICATIONS_DIR /usr/local/share/applications CACHE PATH "Where the menu entry goes")
set(LUMBRA_XSESSIONS_DIR /usr/share/xsessions CACHE PATH "Where the login screen looks for sessions")

set(LUMBRA_APP_DIR ${CMAKE_INSTALL_PREFIX})
set(desktop_out ${CMAKE_BINARY_DIR}/desktop)
foreach(file lumbra-start lumbra.desktop lumbra-session.desktop)
    configure_file(${CMAKE_SOURCE_DIR}/data/desktop/${file}.in ${desktop_out}/${file} @ONLY)
endforeach()

# Qt and SQLite come from the system; the program needs no search path of its own.
set_target_properties(lumbra PROPERTIES INSTALL_RPATH "")
install(TARGETS lumbra RUNTIME DESTINATION .)
if(TARGET lumbrasound)
    install(TARGETS lumbrasound LIBRARY DESTINATION .)
endif()
if(TARGET lumbraspeech)
    install(TARGETS lumbraspeech LIBRARY DESTINATION .)
endif()
install(PROGRAMS ${desktop_out}/lumbra-start DESTINATION .)
install(DIRECTORY ${CMAKE_BINARY_DIR}/Theme ${CMAKE_BINARY_DIR}/Icon ${CMAKE_BINARY_DIR}/Tab
                  ${CMAKE_BINARY_DIR}/Language
        DESTINATION .)
install(FILES ${CMAKE_BINARY_DIR}/bgmusic.wav DESTINATION .)
foreach(code IN LISTS LUMBRA_LANGUAGES)
    install(FILES ${CMAKE_BINARY_DIR}/${code}.reg DESTINATION .)
endforeach()
install(FILES ${desktop_out}/lumbra.desktop DESTINATION ${LUMBRA_APPLICATIONS_DIR})
install(FILES ${desktop_out}/lumbra-session.desktop DESTINATION ${LUMBRA_XSESSIONS_DIR} RENAME lumbra.desktop)

# The command is a link to the start script: the program itself finds its data through its
# own path, and the script installs the factory settings for a user who has none yet.
install(CODE "
    set(link \"\$ENV{DESTDIR}${LUMBRA_COMMAND_DIR}/lumbra\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${LUMBRA_COMMAND_DIR}\")
    file(REMOVE \"\${link}\")
    file(CREATE_LINK \"${LUMBRA_APP_DIR}/lumbra-start\" \"\${link}\" SYMBOLIC)
    message(STATUS \"Installing: \${link} -> ${LUMBRA_APP_DIR}/lumbra-start\")
")
