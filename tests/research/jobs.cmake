# The long jobs' frame and the item-list loader. The unit tests need no window; the window tests
# run the loader on framework threads against the service simulator, and CI runs them again
# under ThreadSanitizer.
zem_test(research_jobs_unit_tests
    SOURCES jobs_url_encode_test.cpp jobs_request_test.cpp jobs_pager_settings_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
zem_test(research_jobs_window_tests
    SOURCES jobs_build_list_test.cpp jobs_window_test.cpp ../web/net/httplib_tsan.cpp
    DEPS zem_research zem_testsupport zem_service_sim PkgConfig::ZEM_TEST_HTTPLIB
    LABELS concurrency)
