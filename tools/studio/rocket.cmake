# The studio's link to a sync editor.
add_library(swipemix_rocket STATIC
    studio/rocket_protocol.cpp studio/rocket_pack.cpp studio/rocket_save.cpp
    studio/rocket_socket.cpp studio/rocket_link.cpp)
target_include_directories(swipemix_rocket PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(swipemix_rocket PUBLIC swipemix_timeline_source swipemix_timeline)
