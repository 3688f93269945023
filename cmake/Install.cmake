# What `cmake --install` puts where, and the Debian package CPack makes of it.
# Included last, so that targets of every folder (the command-line tool
# among them, when it exists) are known here.
include(GNUInstallDirs)

set(VESKORA_APP_ID com.brenholt.VeskoraRFConfiguration)
set(VESKORA_PACKAGE veskorarfconfiguration)
set(dist ${CMAKE_SOURCE_DIR}/dist)
set(staged ${CMAKE_BINARY_DIR}/dist)

install(TARGETS VeskoraRFConfiguration gateway-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET veskora)
  install(TARGETS veskora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Where bash-completion and Debian's zsh look for completions of installed commands.
  install(FILES ${dist}/completion/veskora.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME veskora)
  install(FILES ${dist}/completion/_veskora DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
  # The manual page's FILES points here: the network file and the tool's JSON.
  install(FILES ${CMAKE_SOURCE_DIR}/docs/network-file.md ${CMAKE_SOURCE_DIR}/docs/veskora-json.md
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VESKORA_PACKAGE})
endif()
# The offscreen tour checks an installed copy on a machine without a display.
install(TARGETS veskora-tour RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/${VESKORA_PACKAGE})

install(FILES ${dist}/${VESKORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${dist}/${VESKORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${dist}/${VESKORA_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The PNG icons are drawn by the program's own icon code at build time.
set(icon_sizes 16 24 32 48 64 128 256)
set(icon_files)
foreach(size IN LISTS icon_sizes)
  list(APPEND icon_files ${staged}/icons/${size}.png)
endforeach()
add_custom_command(OUTPUT ${icon_files}
  COMMAND veskora-icon ${staged}/icons ${icon_sizes}
  DEPENDS veskora-icon
  COMMENT "Drawing the application icon")
foreach(size IN LISTS icon_sizes)
  install(FILES ${staged}/icons/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${VESKORA_APP_ID}.png)
endforeach()

# Manual pages and the changelog go compressed, as Debian keeps them.
set(man_pages ${dist}/VeskoraRFConfiguration.1 ${dist}/gateway-sim.1)
if(TARGET veskora)
  list(APPEND man_pages ${dist}/veskora.1)
endif()
set(compressed)
foreach(page IN LISTS man_pages ITEMS ${dist}/changelog)
  get_filename_component(name ${page} NAME)
  add_custom_command(OUTPUT ${staged}/${name}.gz
    COMMAND gzip -9 -n -c ${page} > ${staged}/${name}.gz
    DEPENDS ${page}
    COMMENT "Compressing ${name}")
  list(APPEND compressed ${staged}/${name}.gz)
endforeach()
foreach(page IN LISTS man_pages)
  get_filename_component(name ${page} NAME)
  install(FILES ${staged}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${staged}/changelog.gz ${dist}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${VESKORA_PACKAGE})
add_custom_target(veskora_dist ALL DEPENDS ${icon_files} ${compressed})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${VESKORA_PACKAGE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Brenholt)
set(CPACK_PACKAGE_CONTACT "Veskora team <veskora@brenholt.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "set up a radio gateway, its repeaters and nodes over TCP")
set(CPACK_PACKAGE_DESCRIPTION "The desktop tool a field technician uses to set up a small radio network:
one gateway, up to six repeaters, and thirty nodes behind each repeater. It
connects to the gateway over TCP, reads and writes the modules' settings,
logs every command and reply, and keeps the modules' IDs in a file. A
simulated gateway comes with it, so the tool can be tried without hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries' packages come from the binaries; the window system's plugin
# and a Hangul font are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-nanum")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
