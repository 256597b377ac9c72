# The catalog updater. The request test needs no window; the window tests run the updater on
# framework threads against the service simulator, and CI runs them again under
# ThreadSanitizer.
zem_test(research_updater_unit_tests
    SOURCES updater_request_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
zem_test(research_updater_window_tests
    SOURCES updater_crawl_test.cpp updater_failure_test.cpp updater_window_test.cpp
            ../web/net/httplib_tsan.cpp
    DEPS zem_research zem_testsupport zem_fulldisk_support zem_service_sim
         PkgConfig::ZEM_TEST_HTTPLIB
    LABELS concurrency)
