# Install rules of the program, in one place: the executable, its picture library, the
# desktop entry, the icon in the hicolor theme, the AppStream metainfo, the manual page and
# the documents. `cmake --install build/default --prefix /usr` (with DESTDIR for staging)
# puts them in the usual places; packaging/install-files.txt lists what a /usr install holds.
include(GNUInstallDirs)

set(FX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/fraxinel)
# The program finds its data relative to its own folder, so the install can be moved.
file(RELATIVE_PATH FX_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_DATADIR}/fraxinel)
# The about box links to the installed README and manual page, found the same way.
set(FX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/fraxinel)
file(RELATIVE_PATH FX_DOC_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${FX_DOC_DIR})
file(RELATIVE_PATH FX_MAN_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_MANDIR}/man6)
configure_file(${CMAKE_SOURCE_DIR}/platform/InstallInfo.h.in
  ${CMAKE_BINARY_DIR}/generated/platform/InstallInfo.h @ONLY)

install(TARGETS fraxinel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_BINARY_DIR}/app/fxgold.rcc DESTINATION ${FX_DATA_DIR})

set(fx_packaging ${CMAKE_SOURCE_DIR}/packaging)
set(fx_generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${fx_packaging}/fraxinel.desktop.in ${fx_generated}/${FX_APP_ID}.desktop @ONLY)
configure_file(${fx_packaging}/fraxinel.metainfo.xml.in ${fx_generated}/${FX_APP_ID}.metainfo.xml
  @ONLY)
configure_file(${fx_packaging}/fraxinel.6.in ${fx_generated}/fraxinel.6 @ONLY)
install(FILES ${fx_generated}/${FX_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${fx_generated}/${FX_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${fx_generated}/fraxinel.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

# The program's icon: the 64-pixel picture it shows itself, and the same drawing at the
# other sizes (scripts/make-pictures makes them all).
foreach(size 32 48 64 128 256)
  if(size EQUAL 64)
    set(picture ${CMAKE_SOURCE_DIR}/resources/pictures/fraxinel.png)
  else()
    set(picture ${CMAKE_SOURCE_DIR}/resources/icons/fraxinel-${size}.png)
  endif()
  install(FILES ${picture} RENAME ${FX_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
  DESTINATION ${FX_DOC_DIR})
