zem_test(research_catalogs_tests
    SOURCES catalogs_browse_test.cpp
    DEPS zem_research zem_testsupport
    LABELS concurrency)
