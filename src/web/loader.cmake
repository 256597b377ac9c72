# The page loader and its log; the internet handles are in platform/net.
set(ZEM_WEB_LOADER_SOURCES
    log_writer.cpp http_internet.cpp http_connection.cpp http_loader.cpp http_pager.cpp)
