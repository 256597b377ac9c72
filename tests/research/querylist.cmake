zem_test(research_querylist_tests
    SOURCES querylist_rows_test.cpp querylist_browse_test.cpp querylist_new_query_test.cpp
    DEPS zem_research zem_testsupport zem_fulldisk_support
    LABELS concurrency)
