# GoogleTest for a build whose target Debian ships no GoogleTest library for
# (the Windows build): compiled here from the sources of Debian's googletest
# package, as the targets GTest::gtest and GTest::gtest_main that
# find_package(GTest) gives a native build.
set(TINTRA_GOOGLETEST_SOURCE /usr/src/googletest/googletest CACHE PATH
    "GoogleTest's sources (Debian's googletest package)")
if(NOT EXISTS ${TINTRA_GOOGLETEST_SOURCE}/src/gtest-all.cc)
  message(FATAL_ERROR "no GoogleTest sources in ${TINTRA_GOOGLETEST_SOURCE}: "
                      "install the googletest package (scripts/install-deps)")
endif()

find_package(Threads REQUIRED)
add_library(tintra_gtest STATIC ${TINTRA_GOOGLETEST_SOURCE}/src/gtest-all.cc)
target_include_directories(tintra_gtest SYSTEM PUBLIC ${TINTRA_GOOGLETEST_SOURCE}/include)
target_include_directories(tintra_gtest PRIVATE ${TINTRA_GOOGLETEST_SOURCE})
target_link_libraries(tintra_gtest PUBLIC Threads::Threads)
add_library(tintra_gtest_main STATIC ${TINTRA_GOOGLETEST_SOURCE}/src/gtest_main.cc)
target_link_libraries(tintra_gtest_main PUBLIC tintra_gtest)
add_library(GTest::gtest ALIAS tintra_gtest)
add_library(GTest::gtest_main ALIAS tintra_gtest_main)

# The test lists are read when ctest runs, not at build time: the build
# machine cannot run the programs it builds here.
include(GoogleTest)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
