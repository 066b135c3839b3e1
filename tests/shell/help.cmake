# The help's tests: pages, links, keyword index against the interpreter's tables of words, search,
# the viewer's entry points, and every example of the help run through the interpreter.
# Included from tests/shell/CMakeLists.txt.
if(TARGET zef_help AND TARGET zef_interpreter)
  add_executable(help_tests ${CMAKE_CURRENT_LIST_DIR}/helpviewer_test.cpp)
  target_link_libraries(help_tests PRIVATE zef_help zef_interpreter GTest::gtest_main)
  target_include_directories(help_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../interpreter)
  target_compile_definitions(help_tests PRIVATE ZEF_HELP_SOURCES="${CMAKE_CURRENT_LIST_DIR}/../../help")
  add_test(NAME help_tests COMMAND help_tests)
  set_tests_properties(help_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endif()
