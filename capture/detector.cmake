target_sources(mirrel_capture PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CardDetector.h
  ${CMAKE_CURRENT_LIST_DIR}/CardDetector.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CardTracker.h
  ${CMAKE_CURRENT_LIST_DIR}/CardTracker.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/Candidate.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/CandidateFinder.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/CandidateFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/CardChecks.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/CardChecks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/CoarseSearch.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/CoarseSearch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeField.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/FineRefinement.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/FineRefinement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/Hypothesis.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/OutlineProposals.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/OutlineProposals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/Ranking.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/Ranking.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/SegmentProposals.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/SegmentProposals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/Trace.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeRefiner.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeRefiner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/ColourSampler.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/ColourSampler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/QuadGeometry.h
  ${CMAKE_CURRENT_LIST_DIR}/detector/QuadGeometry.cpp)

# The per-pixel loops of the search are written to vectorise; -O3 lets the compiler do it.
set_source_files_properties(
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeField.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/OutlineProposals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/SegmentProposals.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/ColourSampler.cpp
  ${CMAKE_CURRENT_LIST_DIR}/detector/EdgeRefiner.cpp
  PROPERTIES COMPILE_OPTIONS "-O3")
