# One place for the flags every target of the project shares.
add_library(zem_flags INTERFACE)
target_compile_features(zem_flags INTERFACE cxx_std_20)
target_compile_options(zem_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wno-missing-field-initializers
    $<$<BOOL:${ZEM_WERROR}>:-Werror>)

set(ZEM_SANITIZE "" CACHE STRING "Sanitizer build: thread, address (with undefined) or empty")
if(ZEM_SANITIZE STREQUAL "thread")
    target_compile_options(zem_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(zem_flags INTERFACE -fsanitize=thread)
elseif(ZEM_SANITIZE STREQUAL "address")
    target_compile_options(zem_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                           -fno-sanitize-recover=undefined)
    target_link_options(zem_flags INTERFACE -fsanitize=address,undefined)
endif()

# Fuzz builds instrument every library for coverage, or the fuzzers could not see the code
# they test; the fuzz targets themselves link libFuzzer.
if(ZEM_FUZZ)
    target_compile_options(zem_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# A static library for one folder of src/, with src/ as its include root.
function(zem_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC zem_flags ${ARG_DEPS})
endfunction()

# Registers a GoogleTest executable's tests with CTest. Under ThreadSanitizer only the
# concurrency tests run, so only they are built and listed there: listing a Qt display test
# runs its event loop at build time, and Qt's own uninstrumented event queue then trips reports
# that are not ours and would fail the build.
function(zem_register_tests name labels)
    if(ZEM_SANITIZE STREQUAL "thread" AND NOT "concurrency" IN_LIST labels)
        set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
        return()
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${labels}")
endfunction()

# A GoogleTest executable registered with CTest. LABELS "concurrency" marks the tests that CI
# runs again under ThreadSanitizer.
function(zem_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE zem_flags ${ARG_DEPS} GTest::gtest GTest::gtest_main)
    zem_register_tests(${name} "${ARG_LABELS}")
endfunction()
