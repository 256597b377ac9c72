list(APPEND ZEM_RESEARCH_SOURCES browse_queries.cpp new_query.cpp query_list_rows.cpp)
