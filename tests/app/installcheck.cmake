# The project as a user installs it. STEP=install puts it into a scratch prefix, checks that
# every file lands where the desktop looks for it, and starts the installed program the way the
# menu entry does (--pictures) in a scratch home, far from the build tree's sounds.
# STEP=validate runs the freedesktop validators on the installed entry and metainfo, STEP=service
# systemd-analyze verify on the example unit; a machine without them skips, visibly.
#   cmake -DSTEP=install|validate|service -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=... -DBINDIR=...
#         -DDATADIR=... -DFULL_BINDIR=... -P installcheck.cmake

set(desktop ${PREFIX}/${DATADIR}/applications/${APP_ID}.desktop)
set(unit ${DATADIR}/doc/Vardella/examples/vardella-capture.service)

if(STEP STREQUAL "install")
  file(REMOVE_RECURSE ${PREFIX})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${output}")
  endif()
  foreach(file ${BINDIR}/vardella ${DATADIR}/vardella/click.wav ${DATADIR}/vardella/alarm.wav
               ${DATADIR}/applications/${APP_ID}.desktop
               ${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg
               ${DATADIR}/metainfo/${APP_ID}.metainfo.xml ${DATADIR}/doc/Vardella/guide.html
               ${unit})
    if(NOT EXISTS ${PREFIX}/${file})
      message(FATAL_ERROR "not installed: ${file}")
    endif()
  endforeach()

  # The program has no sounds in its store directory: it must find the installed ones. It runs
  # until the time-out ends it, long enough to make its first picture directory.
  set(home ${PREFIX}/home)
  file(MAKE_DIRECTORY ${home})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CONFIG_HOME=${home}/.config
                          QT_QPA_PLATFORM=offscreen ${PREFIX}/${BINDIR}/vardella --pictures
                  WORKING_DIRECTORY ${home} TIMEOUT 8
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT IS_DIRECTORY ${home}/Pictures/Vardella/1)
    message(FATAL_ERROR "vardella --pictures made no ${home}/Pictures/Vardella/1 (${result}):\n"
                        "${output}")
  endif()
elseif(STEP STREQUAL "validate")
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  if(NOT DESKTOP_FILE_VALIDATE OR NOT APPSTREAMCLI)
    message("SKIP: desktop-file-validate or appstreamcli is missing "
            "(Debian packages desktop-file-utils, appstream)")
    return()
  endif()
  # desktop-file-validate succeeds on warnings: any error or warning it prints fails here.
  execute_process(COMMAND ${DESKTOP_FILE_VALIDATE} ${desktop}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR output MATCHES "error|warning")
    message(FATAL_ERROR "desktop-file-validate ${desktop}:\n${output}")
  endif()
  # validate-tree checks the metainfo as "validate" does, and also that its launchable names the
  # installed desktop entry.
  execute_process(COMMAND ${APPSTREAMCLI} validate-tree --no-net ${PREFIX}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR NOT output MATCHES "${APP_ID}.metainfo.xml")
    message(FATAL_ERROR "appstreamcli validate-tree ${PREFIX}:\n${output}")
  endif()
elseif(STEP STREQUAL "service")
  find_program(SYSTEMD_ANALYZE systemd-analyze)
  if(NOT SYSTEMD_ANALYZE)
    message("SKIP: systemd-analyze is missing (Debian package systemd)")
    return()
  endif()
  # verify insists that ExecStart's program exists: a copy of the unit names the scratch
  # install's program instead of the configured prefix's. A user manager needs a runtime
  # directory of the user's own, as a login gives.
  set(check ${PREFIX}/service-check)
  file(READ ${PREFIX}/${unit} text)
  string(REPLACE "=${FULL_BINDIR}/" "=${PREFIX}/${BINDIR}/" text "${text}")
  file(WRITE ${check}/vardella-capture.service "${text}")
  file(MAKE_DIRECTORY ${check}/runtime ${check}/home)
  file(CHMOD ${check}/runtime PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env XDG_RUNTIME_DIR=${check}/runtime
                          HOME=${check}/home ${SYSTEMD_ANALYZE} --user --man=no verify
                          ${check}/vardella-capture.service
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  # Unknown keys and the like are only warnings to verify: anything it says fails here.
  if(NOT result EQUAL 0 OR NOT output STREQUAL "")
    message(FATAL_ERROR "systemd-analyze verify ${unit}:\n${output}")
  endif()
else()
  message(FATAL_ERROR "STEP must be install, validate or service")
endif()
