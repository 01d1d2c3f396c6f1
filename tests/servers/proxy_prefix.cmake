# Tests that set the system proxy run in a Wine prefix of their own, so the
# setting never reaches tests that run at the same time in the shared
# prefix. Defines OVN_PROXY_WINE_RUN (the emulator wrapper for that prefix)
# and OVN_PROXY_WINEPREFIX. The harness ends that prefix's wineserver after
# each test (run_with_servers.py --private-prefix).
set(OVN_PROXY_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix-proxy)
set(OVN_PROXY_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run-proxy.sh)
function(ovn_configure_proxy_wine_run)
  set(OVN_WINEPREFIX ${OVN_PROXY_WINEPREFIX})
  configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${OVN_PROXY_WINE_RUN} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endfunction()
ovn_configure_proxy_wine_run()
