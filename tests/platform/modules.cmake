# Two builds of a probe module for the module search, told apart by the value
# their one export returns:
#   bin/Vyr_Probe.so                    beside the test program (answer 1);
#   test_modules/platform/Vyr_Probe2.so in no searched folder (answer 2): the
#                                       tests copy it where the search must look.
add_library(platform_probe_module MODULE ${CMAKE_CURRENT_LIST_DIR}/module/probe_module.cpp)
target_compile_definitions(platform_probe_module PRIVATE VYR_PROBE_ANSWER=1)
set_target_properties(platform_probe_module PROPERTIES PREFIX "" SUFFIX ".so" OUTPUT_NAME Vyr_Probe
  CXX_VISIBILITY_PRESET hidden)
add_library(platform_probe_module_installed MODULE ${CMAKE_CURRENT_LIST_DIR}/module/probe_module.cpp)
target_compile_definitions(platform_probe_module_installed PRIVATE VYR_PROBE_ANSWER=2)
set_target_properties(platform_probe_module_installed PROPERTIES PREFIX "" SUFFIX ".so"
  OUTPUT_NAME Vyr_Probe2 CXX_VISIBILITY_PRESET hidden
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_modules/platform)

# test_platform is defined after this file is read.
function(vyr_platform_module_dependencies)
  if(TARGET test_platform)
    add_dependencies(test_platform platform_probe_module platform_probe_module_installed)
  endif()
endfunction()
cmake_language(DEFER CALL vyr_platform_module_dependencies)
