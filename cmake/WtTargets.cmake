# Every unit folder is one library made of the .cpp files it holds, so that a
# new unit needs no build edit. A folder without sources yet is an interface
# library, so dependants link against it all the same.
function(wt_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE "${CMAKE_SOURCE_DIR}")
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One test program per test folder, made of its *_test.cpp files; every test
# carries the folder's area label so that `ctest -L AREA` runs one area.
# PROPERTIES adds test properties of its own (name value pairs).
function(wt_add_test_dir name label)
  cmake_parse_arguments(ARG "" "" "DEPS;ENV;PROPERTIES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    WT_CORPUS_DIR="${WT_CORPUS_DIR}"
    WT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    WT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    WT_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${ARG_ENV}"
               ${ARG_PROPERTIES})
endfunction()

# Compiles the layout files (*.lay) of a folder into an object library whose
# objects register them at start-up, so that ReadLayout(form, "frmMain")
# finds DIR/frmMain.lay. Link the object library into the executable (or test
# program) itself: objects in an archive that nothing references are dropped.
function(wt_embed_layouts name dir)
  file(GLOB layouts CONFIGURE_DEPENDS "${dir}/*.lay")
  set(out "${CMAKE_CURRENT_BINARY_DIR}/${name}_layouts.cpp")
  string(REPLACE ";" "|" files "${layouts}")
  add_custom_command(
    OUTPUT "${out}"
    COMMAND ${CMAKE_COMMAND} "-DFILES=${files}" "-DOUT=${out}"
            -P "${CMAKE_SOURCE_DIR}/cmake/EmbedLayouts.cmake"
    DEPENDS ${layouts} "${CMAKE_SOURCE_DIR}/cmake/EmbedLayouts.cmake"
    COMMENT "Embedding the layouts of ${dir}"
    VERBATIM)
  add_library(${name} OBJECT "${out}")
  target_link_libraries(${name} PUBLIC wt_ui)
endfunction()
