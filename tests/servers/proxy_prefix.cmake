# Tests that set the system proxy run in a Wine prefix of their own, so the
# setting never reaches tests that run at the same time in the shared
# prefix. Defines OVN_PROXY_WINEPREFIX and OVN_PROXY_WINE_RUN (the emulator
# wrapper for that prefix); its tests hold the lock system_proxy.
ovn_private_prefix(proxy OVN_PROXY_WINEPREFIX OVN_PROXY_WINE_RUN)
