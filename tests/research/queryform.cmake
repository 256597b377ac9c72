# The query form and its item list, driven on framework threads through the headless display;
# the loads run against the service simulator. CI runs them again under ThreadSanitizer.
zem_test(research_queryform_tests
    SOURCES queryform_form_test.cpp queryform_items_test.cpp queryform_load_test.cpp
            ../web/net/httplib_tsan.cpp
    DEPS zem_research zem_testsupport zem_service_sim
    LABELS concurrency)
zem_test(research_queryform_layout_tests
    SOURCES queryform_layout_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
