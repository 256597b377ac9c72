# The competition check: the result-page request of an item, the walks over a query's tagged
# items, the reading of a result page and the window that checks the items one after the other.
list(APPEND ZEM_RESEARCH_SOURCES
    google_request.cpp
    tagged_goods.cpp
    result_page_reader.cpp
    build_google.cpp)
