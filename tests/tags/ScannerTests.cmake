# The scanner's tests. The sample tree's tags files and readtags' answers to
# sample-queries.txt are made natively by Debian's ctags when the tests build.
velkin_add_test(scanner_tests
  ScannerTestSupport.cpp LineGrammarTest.cpp RobustnessTest.cpp ScanTagsFileTest.cpp RealTagsTest.cpp)

set(sample_tags_dir ${CMAKE_CURRENT_BINARY_DIR}/sample-tags)
file(GLOB_RECURSE sample_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/sample/*)
add_custom_command(OUTPUT ${sample_tags_dir}/stamp
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/make_sample_tags.sh ${CMAKE_CURRENT_SOURCE_DIR}/sample
          ${CMAKE_CURRENT_SOURCE_DIR}/sample-queries.txt ${sample_tags_dir}
  DEPENDS make_sample_tags.sh sample-queries.txt ${sample_sources}
  COMMENT "Tagging the sample tree with ctags and asking readtags")
add_custom_target(scanner_sample_tags DEPENDS ${sample_tags_dir}/stamp)
add_dependencies(scanner_tests scanner_sample_tags)
target_compile_definitions(scanner_tests PRIVATE
  VELKIN_SCANNER_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}" VELKIN_SAMPLE_TAGS_DIR="${sample_tags_dir}")
