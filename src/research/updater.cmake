# The catalog updater: the crawl of the active stores' browse-node trees and the rewrite of
# Catalogs and Nodes from it.
list(APPEND ZEM_RESEARCH_SOURCES
    build_catalog.cpp
    catalog_write_back.cpp)
