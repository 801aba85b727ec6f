# quillet_precompile(TARGET [TESTS|OWN]): TARGET's sources start from the project's precompiled
# Qt headers, compiled once: the libraries share one, the test, helper and benchmark programs
# (TESTS) another that adds QtTest, and a target without QtGui (OWN) has its own. GCC takes a
# precompiled header only where the macros its headers test are defined alike, so the programs
# share the test support library's QtTest definitions.
function(quillet_precompile target)
  cmake_parse_arguments(ARG "TESTS;OWN" "" "" ${ARGN})
  if(NOT QUILLET_PRECOMPILE)
    return()
  endif()
  set(header ${CMAKE_SOURCE_DIR}/cmake/Precompiled.h)
  if(ARG_TESTS)
    # QtTest names each program's folders in macros; no test looks its data up through them.
    set_target_properties(${target} PROPERTIES QT_TESTCASE_BUILDDIR ${CMAKE_BINARY_DIR}/tests)
    target_compile_options(${target} PRIVATE -UQT_TESTCASE_SOURCEDIR)
    set(base quillet_testsupport)
  elseif(ARG_OWN)
    set(base ${target})
  else()
    set(base quillet_precompiled)
    if(NOT TARGET quillet_precompiled)
      file(WRITE ${CMAKE_BINARY_DIR}/quillet_precompiled.cpp "")
      add_library(quillet_precompiled OBJECT ${CMAKE_BINARY_DIR}/quillet_precompiled.cpp)
      target_link_libraries(quillet_precompiled PRIVATE Qt6::Widgets)
      target_precompile_headers(quillet_precompiled PRIVATE ${header})
    endif()
  endif()
  if(target STREQUAL base)
    target_precompile_headers(${target} PRIVATE ${header})
  else()
    target_precompile_headers(${target} REUSE_FROM ${base})
  endif()
endfunction()

# quillet_library(NAME LIBS ... [LATER ...]): one static library from every source file of a src/
# folder. LATER names libraries of folders that may not be built yet; each is linked when it
# exists. A folder with no source file yet makes no library.
function(quillet_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;LATER" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/CMakeFiles/")
  set(compiled ${sources})
  list(FILTER compiled INCLUDE REGEX "\\.cpp$")
  if(NOT compiled)
    return()
  endif()
  foreach(lib ${ARG_LATER})
    if(TARGET ${lib})
      list(APPEND ARG_LIBS ${lib})
    endif()
  endforeach()
  add_library(${name} STATIC ${sources})
  if(ARG_LIBS STREQUAL "Qt6::Core")
    quillet_precompile(${name} OWN)
  else()
    quillet_precompile(${name})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY QUILLET_ALL_LIBS ${name})
endfunction()

# quillet_moc_source(TARGET SOURCE): SOURCE's own classes through moc into SOURCE's name.moc,
# which SOURCE includes, with AUTOMOC off for TARGET. moc needs no more than the file itself and
# the project's headers; AUTOMOC hands it every Qt and standard include folder, and following
# those headers took it seconds for each test program.
function(quillet_moc_source target source)
  get_filename_component(name ${source} NAME_WE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_moc)
  set(out ${dir}/${name}.moc)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND Qt6::moc --no-notes -DQT_NO_DEBUG -I${CMAKE_SOURCE_DIR}/src -I${CMAKE_SOURCE_DIR}/tests/support
            -I${CMAKE_CURRENT_SOURCE_DIR} ${source} -o ${out}
    DEPENDS ${source} Qt6::moc
    COMMENT "moc ${name}.cpp"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} PROPERTIES HEADER_FILE_ONLY ON GENERATED ON)
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
  target_include_directories(${target} PRIVATE ${dir})
endfunction()

# quillet_tests(folder LIBS ...): every tests/<folder>/tst_*.cpp becomes one QtTest executable
# registered with CTest. Files named tst_*_x11.cpp need a real X server and get the label x11;
# the others run on the offscreen platform. Every test gets its own empty home and XDG folders.
function(quillet_tests folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/helper_*.cpp)
  foreach(source ${tests} ${helpers})
    get_filename_component(name ${source} NAME_WE)
    set(target ${folder}_${name})
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE quillet_testsupport ${ARG_LIBS})
    quillet_moc_source(${target} ${source})
    target_compile_definitions(${target} PRIVATE
      QUILLET_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}"
      QUILLET_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    quillet_precompile(${target} TESTS)
  endforeach()
  foreach(test ${tests})
    get_filename_component(name ${test} NAME_WE)
    set(target ${folder}_${name})
    add_test(NAME ${target} COMMAND ${target})
    set(home ${CMAKE_BINARY_DIR}/testhome/${target})
    set(env
      "HOME=${home}" "XDG_CONFIG_HOME=${home}/config" "XDG_DATA_HOME=${home}/data"
      "XDG_STATE_HOME=${home}/state" "XDG_CACHE_HOME=${home}/cache" "XDG_RUNTIME_DIR=${home}/run"
      "QT_QPA_PLATFORMTHEME=" "LC_ALL=C.UTF-8")
    if(name MATCHES "_x11$")
      set_tests_properties(${target} PROPERTIES LABELS x11 RESOURCE_LOCK xserver
        ENVIRONMENT "${env};QT_QPA_PLATFORM=xcb")
    else()
      set_tests_properties(${target} PROPERTIES ENVIRONMENT "${env};QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${target} PROPERTIES TIMEOUT 300)
  endforeach()
endfunction()
