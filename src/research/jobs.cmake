# The long jobs' progress-window frame, the query-string encoder and the item-list loader.
list(APPEND ZEM_RESEARCH_SOURCES
    url_encode.cpp
    pager_settings.cpp
    service_request.cpp
    service_refusal.cpp
    job_window.cpp
    build_list.cpp)
