# STARTFORM: the start screen, also the About box.
add_library(startscreen STATIC ${CMAKE_CURRENT_LIST_DIR}/start_screen.cpp)
target_include_directories(startscreen PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(startscreen PUBLIC ui resources Qt6::Widgets)
