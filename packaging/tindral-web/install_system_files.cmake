# Run by `cmake --install` (and so by cpack) for the service's component: installs its
# systemd unit and its options file, whose folders depend on the prefix of this very
# installation, which may differ from the configured one (`cmake --install --prefix`).
#
# For the prefix /usr they go where Debian keeps them, /lib/systemd/system and
# /etc/default; for any other prefix to lib/systemd/system and etc/default below it, so
# that an installation into /usr/local or /opt changes nothing outside its prefix
# (systemd also reads /usr/local/lib/systemd/system). The unit names the installed
# program and options file by their full paths.
#
# Set by the caller: tindral_web_source (this folder), tindral_web_binary (a folder of
# the build for the configured unit) and tindral_web_sbindir (the program's folder below
# the prefix).

string(REGEX REPLACE "(.)/+$" "\\1" prefix "${CMAKE_INSTALL_PREFIX}")
if(prefix STREQUAL "/usr")
  set(unit_folder /lib/systemd/system)
  set(options_folder /etc/default)
else()
  set(unit_folder ${prefix}/lib/systemd/system)
  set(options_folder ${prefix}/etc/default)
endif()

set(TINDRAL_WEB_PROGRAM ${prefix}/${tindral_web_sbindir}/tindral-web)
set(TINDRAL_WEB_OPTIONS_FILE ${options_folder}/tindral-web)
# One unit per prefix, so that installations into several prefixes from one build do
# not share a file.
string(MAKE_C_IDENTIFIER "${prefix}" prefix_name)
set(unit ${tindral_web_binary}/${prefix_name}/tindral-web.service)
configure_file(${tindral_web_source}/tindral-web.service.in ${unit} @ONLY)

# file(INSTALL) puts DESTDIR in front and lists the files in the install manifest.
file(INSTALL ${unit} DESTINATION ${unit_folder}
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
file(INSTALL ${tindral_web_source}/default DESTINATION ${options_folder}
     RENAME tindral-web PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
