# The competition check. The unit tests need no window; the window tests run the check on
# framework threads against the service simulator, and CI runs them again under
# ThreadSanitizer.
zem_test(research_google_unit_tests
    SOURCES google_request_test.cpp google_page_reader_test.cpp google_tagged_goods_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
zem_test(research_google_window_tests
    SOURCES google_check_test.cpp google_window_test.cpp ../web/net/httplib_tsan.cpp
    DEPS zem_research zem_testsupport zem_service_sim
    LABELS concurrency)
