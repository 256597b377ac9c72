# The catalog tree: the tree model over a fresh data file on the test's thread, and the tree
# window, node form and node picker on framework threads through the headless display.
zem_test(tree_model_tests
    SOURCES tree_catalog_tree_test.cpp tree_layout_test.cpp
    DEPS zem_research zem_testsupport
    LABELS research)
zem_test(tree_window_tests
    SOURCES tree_browse_test.cpp tree_node_form_test.cpp tree_select_test.cpp
    DEPS zem_research zem_testsupport
    LABELS concurrency)
