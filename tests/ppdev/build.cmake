# The real-port path through the kernel: a ppdev device emulated over FUSE
# (ppdev_emulator) with the virtual printer behind it, and a driver script
# that runs the engine against it in a private mount namespace. Each case is
# a ctest entry; a case that needs what this machine lacks (root, /dev/fuse)
# is skipped with the reason. The whole-page case is for scripts/test --long.
pkg_check_modules(FUSE3 IMPORTED_TARGET fuse3)
if(NOT FUSE3_FOUND)
  message(STATUS "libfuse3-dev not found: the ppdev tests are not built")
  return()
endif()
add_executable(ppdev_emulator ${CMAKE_CURRENT_LIST_DIR}/ppdev_emulator.cpp)
target_link_libraries(ppdev_emulator PRIVATE vyrplatform PkgConfig::FUSE3)
add_executable(port_poke ${CMAKE_CURRENT_LIST_DIR}/port_poke.cpp)
target_link_libraries(port_poke PRIVATE vyrplatform)
foreach(case runpath bad_choice short_job named_base permission held_close held_bound named_only
             other_base guessed no_ports control_reads page)
  add_test(NAME ppdev.${case}
           COMMAND ${CMAKE_CURRENT_LIST_DIR}/ppdev_test.sh ${case} ${CMAKE_BINARY_DIR}/bin)
  set_tests_properties(ppdev.${case} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120)
endforeach()
set_tests_properties(ppdev.page PROPERTIES LABELS long TIMEOUT 3600)
