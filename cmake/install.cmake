# What `cmake --install` puts where:
#   bin/                         zel-appserver, zel-host
#   lib/                         basecomp, baseforms and the module libzel00400.so
#   share/zel/reports/           the report definitions (found relative to the executables)
#   <sysconfdir>/zel/            appserver.conf, the example configuration (kept if present
#                                when installed by a package; `cmake --install` overwrites it)
#   lib/systemd/system/          zel-appserver.service, reading <sysconfdir>/zel/appserver.conf
#   lib/sysusers.d/              zel.conf, the service's own user
# The installed programs find their libraries, the module and the reports relative to their own
# directory, so the tree works under any prefix and without options.
include(GNUInstallDirs)

set(ZEL_INSTALL_CONFIG ${CMAKE_INSTALL_FULL_SYSCONFDIR}/zel/appserver.conf)
# systemd's StateDirectory=zel, whatever the prefix.
set(ZEL_INSTALL_STATE_DIR /var/lib/zel)
set(ZEL_UNIT_DIR ${CMAKE_INSTALL_PREFIX}/lib/systemd/system)
set(ZEL_SYSUSERS_DIR ${CMAKE_INSTALL_PREFIX}/lib/sysusers.d)

# The libraries sit in CMAKE_INSTALL_LIBDIR beside bin/; the executables look there first.
set(ZEL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")

install(TARGETS zel-appserver RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(TARGET zel-host)
  set_target_properties(zel-host PROPERTIES INSTALL_RPATH "${ZEL_RPATH}")
  set_target_properties(basecomp baseforms zel00400 PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS zel-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(TARGETS basecomp baseforms zel00400 LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  # The host searches <bin>/../lib and <bin>/../<libdir> for modules.
  target_compile_definitions(zel-host PRIVATE ZEL_LIBDIR="${CMAKE_INSTALL_LIBDIR}")
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/reports/ DESTINATION ${CMAKE_INSTALL_DATADIR}/zel/reports
          FILES_MATCHING PATTERN "*.rpt")
endif()

configure_file(${PROJECT_SOURCE_DIR}/deploy/appserver.conf.in
               ${CMAKE_BINARY_DIR}/deploy/appserver.conf @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/deploy/zel-appserver.service.in
               ${CMAKE_BINARY_DIR}/deploy/zel-appserver.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/deploy/appserver.conf
        DESTINATION ${CMAKE_INSTALL_FULL_SYSCONFDIR}/zel)
install(FILES ${CMAKE_BINARY_DIR}/deploy/zel-appserver.service DESTINATION ${ZEL_UNIT_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/deploy/sysusers-zel.conf
        DESTINATION ${ZEL_SYSUSERS_DIR} RENAME zel.conf)
