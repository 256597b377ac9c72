list(APPEND ZEM_RESEARCH_SOURCES browse_catalogs.cpp)
