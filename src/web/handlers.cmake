set(ZEM_WEB_HANDLER_SOURCES
    stores.cpp
    numeric_text.cpp
    item_search_handler.cpp
    google_ads_handler.cpp
    browse_node_handler.cpp
    browse_node_loader.cpp
    search_indexes.cpp)
