# What `cmake --install` puts where, under the prefix:
#   bin/                         zel-appserver, zel-host
#   lib/                         basecomp, baseforms and the module libzel00400.so
#   share/zel/reports/           the report definitions (found relative to the executables)
#   etc/zel/                     appserver.conf, the example configuration, mode 0640 (it may
#                                hold the database password); /etc/zel for the prefix /usr.
#                                `cmake --install` overwrites it
#   lib/systemd/system/          zel-appserver.service, reading <sysconfdir>/zel/appserver.conf
#   lib/sysusers.d/              zel.conf, the service's own user and group
#   lib/tmpfiles.d/              zel.conf, giving the configuration to root and the group zel
# Every destination is relative to the prefix given at install time, so a staged install
# (`cmake --install BUILD --prefix DIR`, or DESTDIR) puts every file under DIR. The installed
# programs find their libraries, the module and the reports relative to their own directory,
# so the tree works under any prefix and without options.
include(GNUInstallDirs)

# Where the installed files name the configuration (the unit, the example itself).
set(ZEL_INSTALL_CONFIG ${CMAKE_INSTALL_FULL_SYSCONFDIR}/zel/appserver.conf)
# systemd's StateDirectory=zel, whatever the prefix.
set(ZEL_INSTALL_STATE_DIR /var/lib/zel)
# systemd's own folders, under the prefix (not under the multiarch libdir).
set(ZEL_UNIT_DIR lib/systemd/system)
set(ZEL_SYSUSERS_DIR lib/sysusers.d)
set(ZEL_TMPFILES_DIR lib/tmpfiles.d)

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
configure_file(${PROJECT_SOURCE_DIR}/deploy/tmpfiles-zel.conf.in
               ${CMAKE_BINARY_DIR}/deploy/tmpfiles-zel.conf @ONLY)

# The configuration's folder is decided when installing, from the prefix given then: the
# prefix /usr keeps its configuration in /etc (as GNUInstallDirs has it), any other prefix in
# <prefix>/etc. An absolute CMAKE_INSTALL_SYSCONFDIR is taken as given.
set(ZEL_CONF_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
if(IS_ABSOLUTE "${CMAKE_INSTALL_SYSCONFDIR}")
  install(FILES ${CMAKE_BINARY_DIR}/deploy/appserver.conf
          DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/zel PERMISSIONS ${ZEL_CONF_PERMISSIONS})
else()
  install(CODE "
    set(zel_etc \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_SYSCONFDIR}\")
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\" OR CMAKE_INSTALL_PREFIX STREQUAL \"/\")
      set(zel_etc \"/${CMAKE_INSTALL_SYSCONFDIR}\")
    endif()
    file(INSTALL DESTINATION \"\${zel_etc}/zel\" TYPE FILE PERMISSIONS ${ZEL_CONF_PERMISSIONS}
         FILES \"${CMAKE_BINARY_DIR}/deploy/appserver.conf\")
  ")
endif()
install(FILES ${CMAKE_BINARY_DIR}/deploy/zel-appserver.service DESTINATION ${ZEL_UNIT_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/deploy/sysusers-zel.conf
        DESTINATION ${ZEL_SYSUSERS_DIR} RENAME zel.conf)
install(FILES ${CMAKE_BINARY_DIR}/deploy/tmpfiles-zel.conf
        DESTINATION ${ZEL_TMPFILES_DIR} RENAME zel.conf)
