# STARTFORM: the start screen, also the About box.
add_library(startform STATIC ${CMAKE_CURRENT_LIST_DIR}/start_form.cpp)
target_include_directories(startform PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(startform PUBLIC ui resources Qt6::Widgets)
