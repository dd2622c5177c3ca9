# tindrel_desktop_entry(<id> PROGRAM <target> DESKTOP <file.in> METAINFO <file.in> ICON <file.svg>)
#
# Installs what makes a program a desktop program: its menu entry <id>.desktop, its
# AppStream description <id>.metainfo.xml, and its icon named <id> in the hicolor theme,
# scalable and as PNG files in the usual sizes (rendered from the SVG with rsvg-convert).
#
# The menu entry is written at install time, so that its Exec line names the program
# under the prefix it is really installed into (cmake --install --prefix, or /usr in the
# package). In the .in files @TINDREL_PROGRAM@ is the program's full path, @TINDREL_ID@
# the id (also the icon's name).
# The project's home page, as the package and the AppStream descriptions name it
# (AppStream 1.0 validators, Debian 13's, want one); its domain is the contact
# address's.
set(TINDREL_HOMEPAGE "https://tindrel.example.org/")
set(TINDREL_ICON_SIZES 16 24 32 48 64 128 256)
find_program(TINDREL_RSVG_CONVERT rsvg-convert)
if(NOT TINDREL_RSVG_CONVERT AND UNIX)
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only scalable icons are installed")
endif()

function(tindrel_desktop_entry id)
  cmake_parse_arguments(D "" "PROGRAM;DESKTOP;METAINFO;ICON" "" ${ARGN})
  set(desktop ${CMAKE_CURRENT_BINARY_DIR}/${id}.desktop)
  set(TINDREL_ID ${id})
  set(TINDREL_PROGRAM "@TINDREL_PROGRAM@")
  configure_file(${D_DESKTOP} ${desktop}.in @ONLY)
  install(CODE "
    set(TINDREL_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBEXECDIR}/tindrel/${D_PROGRAM}\")
    configure_file(\"${desktop}.in\" \"${desktop}\" @ONLY)")
  install(FILES ${desktop} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  configure_file(${D_METAINFO} ${id}.metainfo.xml @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${id}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${D_ICON} DESTINATION ${icons}/scalable/apps RENAME ${id}.svg)
  if(TINDREL_RSVG_CONVERT)
    set(pngs)
    foreach(size IN LISTS TINDREL_ICON_SIZES)
      set(png ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/${id}.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}
        COMMAND ${TINDREL_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${D_ICON}
        DEPENDS ${D_ICON} VERBATIM)
      install(FILES ${png} DESTINATION ${icons}/${size}x${size}/apps)
      list(APPEND pngs ${png})
    endforeach()
    add_custom_target(${id}.icons ALL DEPENDS ${pngs})
  endif()
endfunction()
