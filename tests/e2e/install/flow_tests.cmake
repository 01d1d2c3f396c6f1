# ovn_add_flow_tests(SCRIPT NAME_PREFIX CASE...): one CTest test per case of
# an install or manual case script. Each runs the launcher on a medium
# folder of its own, with the list file served on the fixed port the test
# build asks, the stand-in setup program and the shell recorder.
set(ovn_flow_tests_ready FALSE)
if(OVN_LIST_HOST STREQUAL "127.0.0.1" AND OVN_LIST_PORT MATCHES "^[0-9]+$")
  set(ovn_flow_tests_ready TRUE)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  if(NOT TARGET ovn_file_attempts)
    # Another program that tries to change a file the launcher holds.
    add_executable(ovn_file_attempts ${CMAKE_CURRENT_LIST_DIR}/file_attempts.cpp)
    target_link_options(ovn_file_attempts PRIVATE -municode)
    target_include_directories(ovn_file_attempts PRIVATE ${PROJECT_SOURCE_DIR}/support)
    # A command delivered to the launcher window past its disabled buttons.
    add_executable(ovn_post_command ${CMAKE_CURRENT_LIST_DIR}/post_command.cpp)
    target_link_options(ovn_post_command PRIVATE -municode)
  endif()
else()
  message(STATUS "Install and manual run tests skipped: they need the launcher and "
                 "-DOVN_LIST_HOST=127.0.0.1 -DOVN_LIST_PORT=<port>")
endif()

function(ovn_add_flow_tests script name_prefix)
  if(NOT ovn_flow_tests_ready)
    return()
  endif()
  foreach(case ${ARGN})
    add_test(NAME ${name_prefix}${case}
      COMMAND ${Python3_EXECUTABLE} ${script}
        --emulator ${CMAKE_CROSSCOMPILING_EMULATOR}
        --driver $<TARGET_FILE:ovn_driver>
        --launcher $<TARGET_FILE:ovn6launcher>
        --standin $<TARGET_FILE:ovn_standin_setup>
        --file-attempts $<TARGET_FILE:ovn_file_attempts>
        --post-command $<TARGET_FILE:ovn_post_command>
        --source ${PROJECT_SOURCE_DIR}
        --prefix ${OVN_WINEPREFIX}
        --list-port ${OVN_LIST_PORT}
        --recorder-reg ${PROJECT_BINARY_DIR}/tests/e2e/recorder/shell_recorder.reg
        --out ${CMAKE_CURRENT_BINARY_DIR}
        --case ${case})
    # One launcher at a time (single instance), one user of the list port,
    # of %temp%\ovn6setup and of the shell recorder's associations. Message
    # boxes under Xvfb take about 2 s each to go.
    set_tests_properties(${name_prefix}${case} PROPERTIES
      TIMEOUT 120
      RESOURCE_LOCK "launcher_window;list_server_port;temp_setup;shell_recorder"
      FIXTURES_REQUIRED shell_recorder
      ENVIRONMENT OVN_TEST_WINDOWS=${OVN_TEST_WINDOWS})
  endforeach()
endfunction()
