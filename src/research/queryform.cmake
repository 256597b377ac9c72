# The query form with its item list and tag commands, the drop lists it chooses from, and the
# routine that opens an item's page.
list(APPEND ZEM_RESEARCH_SOURCES
    open_url.cpp
    query_items.cpp
    query_drop_lists.cpp
    query_item_list.cpp
    query_form.cpp
    update_queries.cpp)
