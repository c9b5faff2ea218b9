# minizip, the ZIP reader under the archive wrapper: its sources come from Debian's zlib source package,
# fetched into the build tree at configure time (never committed), and are built as a static library
# linked with the cross compiler's static zlib. miniunz is built too, for comparisons in bench/.
set(NORBA_ZLIB_SOURCE ${CMAKE_BINARY_DIR}/_deps/zlib-source)
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/tools/fetch-minizip.sh ${NORBA_ZLIB_SOURCE} RESULT_VARIABLE fetched)
if(NOT fetched EQUAL 0)
  message(FATAL_ERROR "minizip's sources could not be fetched (see above); run tools/install-deps.sh first")
endif()

set(NORBA_MINIZIP_DIR ${NORBA_ZLIB_SOURCE}/contrib/minizip)
add_library(minizip STATIC
  ${NORBA_MINIZIP_DIR}/unzip.c
  ${NORBA_MINIZIP_DIR}/ioapi.c
  ${NORBA_MINIZIP_DIR}/iowin32.c)
# Third-party code keeps its own warnings; the include folder is marked as a system one for our code.
target_include_directories(minizip SYSTEM PUBLIC ${NORBA_MINIZIP_DIR})
target_compile_definitions(minizip PUBLIC _WIN32_WINNT=0x0501)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC z)

add_executable(miniunz ${NORBA_MINIZIP_DIR}/miniunz.c)
target_compile_options(miniunz PRIVATE -w)
target_link_libraries(miniunz PRIVATE minizip ${NORBA_STATIC_LINK})
set_target_properties(miniunz PROPERTIES EXCLUDE_FROM_ALL TRUE RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
