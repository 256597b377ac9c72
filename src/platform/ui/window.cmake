# The window model, its event loop and the headless display.
find_package(nlohmann_json 3 REQUIRED)
target_sources(zem_ui PRIVATE
    control.cpp layout.cpp display.cpp input.cpp window.cpp window_manager.cpp field_binding.cpp
    app_settings.cpp headless_display.cpp translator.cpp list_format.cpp browse_list.cpp column_table.cpp
    popup_actions.cpp window_hooks.cpp anchors.cpp)
target_link_libraries(zem_ui PRIVATE nlohmann_json::nlohmann_json)
