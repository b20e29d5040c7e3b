# Tests of the web player (resources/web/): its video decoder run by Node.js
# against FFmpeg's decoder, the pages and script the encoder writes, its clock
# and rate choice under Node.js, and the package played in headless Chromium
# through puppeteer-core (installed by scripts/install-deps.sh into
# tests/web/node_modules). A missing Node.js, Chromium or puppeteer-core fails
# the configuration: no test skips itself.
#
# The browser tests exercise JavaScript in a browser that no sanitizer sees,
# so the sanitizer builds leave them out (ZQ48_BROWSER_TESTS=OFF, set by
# `make test-asan` and `make test-tsan`): they would only run the same
# browser again, slower.
option(ZQ48_BROWSER_TESTS "Play the web player in headless Chromium" ON)
file(GLOB ZQ48_WEB_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
find_program(ZQ48_NODE node REQUIRED)
if(ZQ48_BROWSER_TESTS)
  find_program(ZQ48_CHROMIUM NAMES chromium chromium-browser REQUIRED)
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/node_modules/puppeteer-core/package.json)
    message(FATAL_ERROR "puppeteer-core is missing from tests/web/node_modules: run scripts/install-deps.sh")
  endif()
else()
  list(FILTER ZQ48_WEB_TEST_SOURCES EXCLUDE REGEX "web_browser_test\\.cpp$")
  set(ZQ48_CHROMIUM "")
endif()
get_target_property(ZQ48_WEB_PLAYER_JAR zqmPlayer JAR_FILE)
add_executable(zq48_web_tests support/test_main.cpp ${ZQ48_WEB_TEST_SOURCES})
target_link_libraries(zq48_web_tests PRIVATE zq48_test_support)
target_compile_definitions(zq48_web_tests PRIVATE
  ZQ48_NODE="${ZQ48_NODE}"
  ZQ48_CHROMIUM="${ZQ48_CHROMIUM}"
  ZQ48_WEB_DIR="${PROJECT_SOURCE_DIR}/resources/web"
  ZQ48_WEB_TESTS_DIR="${CMAKE_CURRENT_LIST_DIR}"
  ZQ48_WEB_PLAYER_JS="${ZQ48_WEB_PLAYER}"
  # player_package.h also runs the Java player; these tests do not, but its helpers need the names.
  ZQ48_PLAYER_JAR="${ZQ48_WEB_PLAYER_JAR}"
  ZQ48_JAVA="java"
  ZQ48ENC_PATH="$<TARGET_FILE:zq48enc>")
add_dependencies(zq48_web_tests zq48enc)
gtest_discover_tests(zq48_web_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)

# The clock, the picture schedule and the rate choice on simulated time.
add_test(NAME web_player_timing COMMAND ${ZQ48_NODE} --test ${CMAKE_CURRENT_LIST_DIR}/player_timing_test.mjs)
set_tests_properties(web_player_timing PROPERTIES TIMEOUT 60)
