# The catalog tree window, its node form and the node picker.
list(APPEND ZEM_RESEARCH_SOURCES
    catalog_tree.cpp tree_window.cpp browse_tree.cpp select_tree.cpp update_node.cpp)
