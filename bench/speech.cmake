# Time to the first samples of speech: espeak-ng alone against EngineSynthesizer.
# Included from bench/CMakeLists.txt.
add_executable(speech-latency-benchmark ${CMAKE_CURRENT_LIST_DIR}/speech_latency_benchmark.cpp)
target_link_libraries(speech-latency-benchmark PRIVATE narrata_speech_platform narrata_speech_service
  PkgConfig::ESPEAK_NG narrata_warnings)

# The silence between sentences, within a page and across a page turn.
add_executable(reading-gap-benchmark ${CMAKE_CURRENT_LIST_DIR}/reading_gap_benchmark.cpp)
target_link_libraries(reading-gap-benchmark PRIVATE narrata_speech narrata_speech_service narrata_speech_platform
  narrata_flite narrata_speechd narrata_text narrata_pdf narrata_mupdf narrata_test_support narrata_warnings)

# Smartening a dense page against segmenting it.
add_executable(smartening-benchmark ${CMAKE_CURRENT_LIST_DIR}/smartening_benchmark.cpp)
target_link_libraries(smartening-benchmark PRIVATE narrata_speech narrata_speech_service narrata_text narrata_pdf
  narrata_mupdf narrata_warnings)
