# boost_headers: Boost.Asio and Boost.Beast, header-only, for the network
# server; cli11_headers: CLI11, its command line. The Windows cross build sees
# a folder holding only these (links to the system's boost/ and CLI/
# folders), never /usr/include itself, so that no Linux header stands in for
# a MinGW one.
add_library(boost_headers INTERFACE)
find_package(Threads REQUIRED)
target_link_libraries(boost_headers INTERFACE Threads::Threads)
target_compile_definitions(boost_headers INTERFACE BOOST_ASIO_NO_DEPRECATED)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(ZZ_BOOST_ROOT "/usr/include/boost" CACHE PATH "The boost/ header folder for the cross build")
  set(only_boost ${CMAKE_BINARY_DIR}/boost-only)
  file(MAKE_DIRECTORY ${only_boost})
  file(CREATE_LINK ${ZZ_BOOST_ROOT} ${only_boost}/boost SYMBOLIC)
  file(CREATE_LINK /usr/include/CLI ${only_boost}/CLI SYMBOLIC)
  target_include_directories(boost_headers SYSTEM INTERFACE ${only_boost})
  # Windows 10 and later; Beast's objects pass the COFF section limit.
  target_compile_definitions(boost_headers INTERFACE _WIN32_WINNT=0x0A00 WIN32_LEAN_AND_MEAN)
  # Boost 1.74's asio/awaitable.hpp uses std::exchange without <utility>.
  target_compile_options(boost_headers INTERFACE -Wa,-mbig-obj -include utility)
  target_link_libraries(boost_headers INTERFACE ws2_32 mswsock)
endif()

add_library(cli11_headers INTERFACE)
if(WIN32 AND CMAKE_CROSSCOMPILING)
  target_include_directories(cli11_headers SYSTEM INTERFACE ${only_boost})
endif()
