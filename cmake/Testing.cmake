# Unit and end-to-end tests run as Windows programs under Wine, inside the
# Wine tree (tools/wine-tree.sh), with a private prefix in the build tree.
# The prefix is made once per build by the emulator wrapper, not once per
# test.
include(GoogleTest)

# The Windows that the prefixes play. A 32-bit build on 64-bit Windows runs
# under WoW64, as the shipped launcher does on most machines. On 32-bit
# Windows (and on XP) only the tests labelled windows32 are built and run:
# those whose outcome depends on the Windows they meet.
set(OVN_TEST_WINDOWS win64 CACHE STRING "Windows of the test prefixes: win64, win32 or winxp")
set_property(CACHE OVN_TEST_WINDOWS PROPERTY STRINGS win64 win32 winxp)
if(NOT OVN_TEST_WINDOWS MATCHES "^(win64|win32|winxp)$")
  message(FATAL_ERROR "OVN_TEST_WINDOWS must be win64, win32 or winxp, not '${OVN_TEST_WINDOWS}'")
endif()
if(CMAKE_SIZEOF_VOID_P EQUAL 8 AND NOT OVN_TEST_WINDOWS STREQUAL "win64")
  message(FATAL_ERROR "A 64-bit build cannot run on 32-bit Windows (OVN_TEST_WINDOWS=${OVN_TEST_WINDOWS})")
endif()
# The prefix's architecture and the version it reports (empty: Windows 7).
set(OVN_WINEARCH win32)
set(OVN_WINDOWS_VERSION "")
set(OVN_TEST_ALL_WINDOWS OFF)
if(OVN_TEST_WINDOWS STREQUAL "win64")
  set(OVN_WINEARCH win64)
  set(OVN_TEST_ALL_WINDOWS ON)
elseif(OVN_TEST_WINDOWS STREQUAL "winxp")
  set(OVN_WINDOWS_VERSION winxp)
endif()
# What the tests expect of the Windows they run on (tests/unit/test_windows.h).
set(OVN_TEST_64BIT_WINDOWS 0)
if(OVN_WINEARCH STREQUAL "win64")
  set(OVN_TEST_64BIT_WINDOWS 1)
endif()
set(OVN_TEST_VISTA_OR_LATER 1)
if(OVN_WINDOWS_VERSION STREQUAL "winxp")
  set(OVN_TEST_VISTA_OR_LATER 0)
endif()
add_compile_definitions(OVN_TEST_64BIT_WINDOWS=${OVN_TEST_64BIT_WINDOWS}
                        OVN_TEST_VISTA_OR_LATER=${OVN_TEST_VISTA_OR_LATER})
# The registry editor of the build's own bitness: under WoW64 a 32-bit
# program reads the 32-bit view of the classes, so its registrations go
# there.
set(OVN_REGEDIT regedit)
if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND OVN_WINEARCH STREQUAL "win64")
  set(OVN_REGEDIT "C:\\windows\\syswow64\\regedit.exe")
endif()

# ovn_wine_prefix(PREFIX RUN): the emulator wrapper RUN for the prefix
# folder PREFIX.
function(ovn_wine_prefix OVN_WINEPREFIX run)
  configure_file(${PROJECT_SOURCE_DIR}/tools/wine-run.sh.in ${run} @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endfunction()

set(OVN_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(OVN_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
ovn_wine_prefix(${OVN_WINEPREFIX} ${OVN_WINE_RUN})
set(CMAKE_CROSSCOMPILING_EMULATOR ${OVN_WINE_RUN})

# ovn_private_prefix(NAME PREFIX_VAR RUN_VAR): a prefix of its own,
# wineprefix-NAME, for tests whose settings or registrations must reach no
# test of the shared prefix; PREFIX_VAR and RUN_VAR receive its folder and
# its emulator wrapper. The tests run under run_with_servers.py
# --private-prefix, which ends that prefix's wineserver after each test, so
# they take turns under one resource lock.
function(ovn_private_prefix name prefix_var run_var)
  set(prefix ${CMAKE_BINARY_DIR}/wineprefix-${name})
  set(run ${CMAKE_BINARY_DIR}/wine-run-${name}.sh)
  ovn_wine_prefix(${prefix} ${run})
  set(${prefix_var} ${prefix} PARENT_SCOPE)
  set(${run_var} ${run} PARENT_SCOPE)
endfunction()

# GoogleTest from Debian's sources, built with the cross toolchain.
set(OVN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${OVN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# ovn_add_unit_test(NAME [WINDOWS32] SOURCES a.cpp b.cpp LIBS ovn_support
#                   [RESOURCE_LOCK lock...] [PROPERTIES name value ...])
# One gtest program; its tests are found by CTest at test time. WINDOWS32:
# it also runs on 32-bit Windows (label windows32); elsewhere it is built
# and run on 64-bit Windows only. Property values must be single words:
# gtest_discover_tests flattens lists, so the resource locks, the one
# list-valued property, are set apart.
function(ovn_add_unit_test name)
  cmake_parse_arguments(ARG "WINDOWS32" "" "SOURCES;LIBS;PROPERTIES;RESOURCE_LOCK" ${ARGN})
  if(ARG_WINDOWS32)
    list(APPEND ARG_PROPERTIES LABELS windows32)
  elseif(NOT OVN_TEST_ALL_WINDOWS)
    # Defined, since its folder may name it, but neither built nor run.
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/unit)
  # Console program; tests find their fixtures next to themselves.
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    TEST_LIST ${name}_TESTS
    PROPERTIES ${ARG_PROPERTIES})
  if(ARG_RESOURCE_LOCK)
    # Included by CTest after the discovered tests, which it names.
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${name}_locks.cmake)
    file(WRITE ${script}
      "if(DEFINED ${name}_TESTS)\n"
      "  set_tests_properties(\${${name}_TESTS} PROPERTIES RESOURCE_LOCK \"${ARG_RESOURCE_LOCK}\")\n"
      "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
  endif()
endfunction()
