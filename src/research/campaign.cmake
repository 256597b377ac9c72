# Campaign creation: the keyword and text-ad lines of a query's tagged items.
list(APPEND ZEM_RESEARCH_SOURCES campaign_lines.cpp create_compaign.cpp)
