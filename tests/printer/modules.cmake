# Link libraries that lack one export each, for the binding's missing-export
# messages: build/test_modules/printer/without_<export>/lptgate.so. They are
# in folders of their own so the module search can be pointed at one of them.
foreach(vyr_printer_missing GetDLLversion Command_set Is_Ready LPT_Reset InitPort)
  set(vyr_printer_module printer_lptgate_without_${vyr_printer_missing})
  add_library(${vyr_printer_module} MODULE ${CMAKE_CURRENT_LIST_DIR}/modules/partial_link_library.cpp)
  target_compile_definitions(${vyr_printer_module} PRIVATE VYR_WITHOUT_${vyr_printer_missing})
  set_target_properties(${vyr_printer_module} PROPERTIES
    PREFIX "" OUTPUT_NAME lptgate CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/test_modules/printer/without_${vyr_printer_missing})
endforeach()
# test_printer is defined after this file is read, so its dependency on the
# modules is added once the folder has been processed.
cmake_language(DEFER CALL add_dependencies test_printer
  printer_lptgate_without_GetDLLversion printer_lptgate_without_Command_set
  printer_lptgate_without_Is_Ready printer_lptgate_without_LPT_Reset
  printer_lptgate_without_InitPort)
