# lumora_library(NAME DIR [DEPS...]): one static library from every .cpp under DIR
# (sub-folders included), public headers found from the source root.
function(lumora_library name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  # A folder named main/ holds an executable's entry point, not library code.
  list(FILTER srcs EXCLUDE REGEX "^${CMAKE_SOURCE_DIR}/${dir}/(.*/)?main/")
  if(NOT srcs)
    set(srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# lumora_test(NAME DIR [DEPS...]): one GoogleTest executable from tests/DIR/*.cpp.
function(lumora_test name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${ARGN})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE LUMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
