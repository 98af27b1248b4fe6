# Installation and the Debian package.
#
# Everything a user runs goes into one program folder, as in the build tree:
# the programs find the spreadsheet component and the logo beside
# themselves. Commands on PATH are links into that folder.
include(GNUInstallDirs)

set(K4_PACKAGE_NAME k4-data-transfer)
set(K4_INSTALL_PROGRAM_DIR lib/${K4_PACKAGE_NAME})
set(K4_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(K4_PACKAGING_BUILD_DIR ${CMAKE_BINARY_DIR}/packaging)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The programs (the main program and the launcher exist only where Qt does),
# the component and the logo.
set(K4_INSTALLED_COMMANDS)
foreach(entry "k4-desktop=k4-data-transfer" "Dockstart=dockstart"
              "k4-download=k4-download" "k4-report=k4-report")
  string(REPLACE "=" ";" entry "${entry}")
  list(GET entry 0 target)
  list(GET entry 1 command)
  if(TARGET "${target}")
    install(TARGETS "${target}" RUNTIME DESTINATION ${K4_INSTALL_PROGRAM_DIR})
    list(APPEND K4_INSTALLED_COMMANDS "${command}=$<TARGET_FILE_NAME:${target}>")
  endif()
endforeach()
install(TARGETS k4xls LIBRARY DESTINATION ${K4_INSTALL_PROGRAM_DIR} NAMELINK_SKIP)
install(FILES ${CMAKE_SOURCE_DIR}/assets/TQLogo.png DESTINATION ${K4_INSTALL_PROGRAM_DIR})

# Relative links, so that the tree works under any prefix and inside the package.
foreach(entry ${K4_INSTALLED_COMMANDS})
  string(REPLACE "=" ";" entry "${entry}")
  list(GET entry 0 command)
  list(GET entry 1 file)
  install(CODE "
    set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${command}\")
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    message(STATUS \"Installing: \${link}\")
    file(CREATE_LINK \"../${K4_INSTALL_PROGRAM_DIR}/${file}\" \"\${link}\" SYMBOLIC)")
endforeach()

# Desktop entries, icon, log-on start and the settings both programs share.
if(TARGET k4-desktop)
  install(FILES ${K4_PACKAGING_DIR}/k4-data-transfer.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
if(TARGET Dockstart)
  install(FILES ${K4_PACKAGING_DIR}/dockstart.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${K4_PACKAGING_DIR}/dockstart-autostart.desktop DESTINATION /etc/xdg/autostart
          RENAME dockstart.desktop)
endif()
install(FILES ${K4_PACKAGING_DIR}/k4-data-transfer.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The program folder in the settings is the installed one, known only when
# installing (the package's prefix is not the build's).
install(CODE "
  set(K4_INSTALLED_PROGRAM_DIR \"\${CMAKE_INSTALL_PREFIX}/${K4_INSTALL_PROGRAM_DIR}\")
  configure_file(\"${K4_PACKAGING_DIR}/settings.conf.in\" \"${K4_PACKAGING_BUILD_DIR}/settings.conf\" @ONLY)")
# Qt names the file after organisation and application, with spaces that a
# package's conffiles list cannot hold; the file itself (the administrator's
# to change, kept on upgrade) sits under a plain name, and Qt's name links to it.
install(FILES ${K4_PACKAGING_BUILD_DIR}/settings.conf DESTINATION /etc/${K4_PACKAGE_NAME}
        RENAME ${K4_PACKAGE_NAME}.conf)
file(MAKE_DIRECTORY ${K4_PACKAGING_BUILD_DIR}/xdg)
file(CREATE_LINK ../../${K4_PACKAGE_NAME}/${K4_PACKAGE_NAME}.conf
     "${K4_PACKAGING_BUILD_DIR}/xdg/K4 Data Transfer Application.conf" SYMBOLIC)
install(FILES "${K4_PACKAGING_BUILD_DIR}/xdg/K4 Data Transfer Application.conf" DESTINATION "/etc/xdg/Tavrin Co")
install(FILES ${K4_PACKAGING_DIR}/70-k4-data-transfer.rules DESTINATION lib/udev/rules.d)

# Debian wants the copyright and a compressed changelog in the package's doc folder.
set(K4_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/${K4_PACKAGE_NAME})
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  add_custom_command(OUTPUT ${K4_PACKAGING_BUILD_DIR}/changelog.gz
                     COMMAND ${GZIP_PROGRAM} -9n -c ${K4_PACKAGING_DIR}/changelog > ${K4_PACKAGING_BUILD_DIR}/changelog.gz
                     DEPENDS ${K4_PACKAGING_DIR}/changelog VERBATIM)
  add_custom_target(k4_changelog ALL DEPENDS ${K4_PACKAGING_BUILD_DIR}/changelog.gz)
  install(FILES ${K4_PACKAGING_BUILD_DIR}/changelog.gz DESTINATION ${K4_DOC_DIR})
endif()
install(FILES ${K4_PACKAGING_DIR}/copyright DESTINATION ${K4_DOC_DIR})

# The package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${K4_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tavrin Co")
set(CPACK_PACKAGE_CONTACT "Tavrin Co <support@tavrin.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Pumpvisor event log download from the K4 unit")
set(CPACK_PACKAGE_DESCRIPTION "K4 Data Transfer moves the stored event log of a Pumpvisor three-phase
submersible-pump motor protector from the K4 handheld download unit, a
USB device with a CP210x serial bridge, to the computer. Each download
writes the log twice under one name: as a comma-delimited file and as a
formatted Excel 97-2003 report.

The package holds the download program, the Dockstart tray launcher that
starts it whenever the unit is plugged in, the terminal tools k4-download
and k4-report, and a udev rule that gives the user logged in at the
computer access to the unit's serial port.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the run-time libraries (Qt 6, libudev1 for the
# launcher's device events) from the programs themselves.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
configure_file(${K4_PACKAGING_DIR}/conffiles ${K4_PACKAGING_BUILD_DIR}/conffiles COPYONLY)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${K4_PACKAGING_BUILD_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
