# Tests of the player archive's own decoders and playback, run through the
# archive with the JDK's java launcher against FFmpeg's decoders of the same
# payload. Every *_test.cpp of this folder belongs to the suite.
file(GLOB ZQ48_PLAYER_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_test.cpp)
find_package(Java 9 REQUIRED COMPONENTS Runtime)
get_target_property(ZQ48_PLAYER_JAR zqmPlayer JAR_FILE)
add_executable(zq48_player_tests support/test_main.cpp ${ZQ48_PLAYER_TEST_SOURCES})
target_link_libraries(zq48_player_tests PRIVATE zq48_test_support)
target_compile_definitions(zq48_player_tests PRIVATE
  ZQ48_PLAYER_JAR="${ZQ48_PLAYER_JAR}"
  ZQ48_JAVA="${Java_JAVA_EXECUTABLE}"
  ZQ48ENC_PATH="$<TARGET_FILE:zq48enc>")
add_dependencies(zq48_player_tests zqmPlayer zq48enc)
gtest_discover_tests(zq48_player_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
