# Only the boost/ folder of the host's headers is shown to the cross
# compiler: a folder in the build tree that holds a link to it and nothing
# else, so no other host header can be picked up by mistake.
set(OVN_BOOST_ROOT /usr/include/boost CACHE PATH "Boost 1.81 header folder")
if(NOT EXISTS ${OVN_BOOST_ROOT}/version.hpp)
  message(FATAL_ERROR "Boost headers not found in ${OVN_BOOST_ROOT} (libboost1.81-dev)")
endif()
set(OVN_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/boost-include)
file(MAKE_DIRECTORY ${OVN_BOOST_INCLUDE})
file(CREATE_LINK ${OVN_BOOST_ROOT} ${OVN_BOOST_INCLUDE}/boost SYMBOLIC)
add_library(ovn_boost INTERFACE)
target_include_directories(ovn_boost SYSTEM INTERFACE ${OVN_BOOST_INCLUDE})
# Header-only Regex; no auto-linking, no locale library.
target_compile_definitions(ovn_boost INTERFACE BOOST_ALL_NO_LIB)
