# Tests of the web player (resources/web/): its video decoder run by Node.js
# against FFmpeg's decoder, the pages and script the encoder writes, and the
# package played in headless Chromium. Every *_test.cpp of this folder
# belongs to the suite; the browser tests skip themselves where Chromium is
# missing (scripts/install-deps.sh installs it).
file(GLOB ZQ48_WEB_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
find_program(ZQ48_NODE node REQUIRED)
find_program(ZQ48_CHROMIUM NAMES chromium chromium-browser)
if(NOT ZQ48_CHROMIUM)
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
