# Campaign creation: the texts it writes, and the window driven on framework threads.
zem_test(research_campaign_lines_tests
    SOURCES campaign_lines_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
zem_test(research_campaign_window_tests
    SOURCES campaign_window_test.cpp
    DEPS zem_research zem_testsupport
    LABELS concurrency)
