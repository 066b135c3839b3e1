# The help: the keyword index and contents logic (plain C++, built always) and the help
# viewer window with the French pages of help/ built in as Qt resources (with the widgets).
# Included from src/shell/CMakeLists.txt.
set(ZEF_HELP_DIR ${CMAKE_CURRENT_LIST_DIR}/../../help)

add_library(zef_help_index STATIC ${CMAKE_CURRENT_LIST_DIR}/helpindex.cpp)
target_include_directories(zef_help_index PUBLIC ${CMAKE_CURRENT_LIST_DIR})

if(TARGET Qt6::Widgets)
  add_library(zef_help STATIC
    ${CMAKE_CURRENT_LIST_DIR}/helpviewer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/helpviewer.h
    ${ZEF_HELP_DIR}/help.qrc)
  set_target_properties(zef_help PROPERTIES AUTOMOC ON AUTORCC ON)
  target_include_directories(zef_help PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(zef_help PUBLIC zef_help_index Qt6::Widgets)
endif()
