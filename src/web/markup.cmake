# The markup tokenizer, its element and attribute list, and the entity table.
set(ZEM_WEB_MARKUP_SOURCES html_parser.cpp html_tag.cpp html_element.cpp entity_table.cpp
    page_charset.cpp)
