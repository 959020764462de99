# Runs at install time: writes a file whose text names the installed executables for the prefix the
# install goes to (make install PREFIX=..., cmake --install --prefix, the package's /usr), then
# installs it like any other file (DESTDIR and the install manifest included).
# In: ARL_TEMPLATE, ARL_NAME (installed name), ARL_DESTINATION (below the prefix), ARL_WORK (scratch).
set(ARL_BINDIR "${CMAKE_INSTALL_PREFIX}/bin")
configure_file("${ARL_TEMPLATE}" "${ARL_WORK}/${ARL_NAME}" @ONLY)
file(INSTALL "${ARL_WORK}/${ARL_NAME}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${ARL_DESTINATION}")
