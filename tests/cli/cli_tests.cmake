# The command line run as scripts run it: explicit variants, JSON documents
# and progress, rerunnable batches, shared destinations, GNU parallel, and
# installing and packaging, and the exit status over the run's summary.
# Qt's JSON reader checks the documents.
add_executable(zq48_cli_tests
  support/test_main.cpp
  cli/batch_test.cpp
  cli/cli_run.cpp
  cli/exit_status_test.cpp
  cli/install_test.cpp
  cli/job_option_test.cpp
  cli/json_output_test.cpp
  cli/variant_option_test.cpp
)
target_link_libraries(zq48_cli_tests PRIVATE zq48_cli zq48_test_support Qt6::Core)
target_compile_definitions(zq48_cli_tests PRIVATE
  ZQ48ENC_PATH="$<TARGET_FILE:zq48enc>"
  ZQ48_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
  ZQ48_BUILD_DIR="${PROJECT_BINARY_DIR}")
add_dependencies(zq48_cli_tests zq48enc)
gtest_discover_tests(zq48_cli_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
