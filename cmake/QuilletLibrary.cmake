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
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY QUILLET_ALL_LIBS ${name})
endfunction()

# quillet_tests(folder LIBS ...): every tests/<folder>/tst_*.cpp becomes one QtTest executable
# registered with CTest. Files named tst_*_x11.cpp need a real X server and get the label x11;
# the others run on the offscreen platform. Every test gets its own empty home and XDG folders.
function(quillet_tests folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/helper_*.cpp)
  foreach(helper ${helpers})
    get_filename_component(hname ${helper} NAME_WE)
    add_executable(${folder}_${hname} ${helper})
    target_link_libraries(${folder}_${hname} PRIVATE quillet_testsupport ${ARG_LIBS})
  endforeach()
  foreach(test ${tests})
    get_filename_component(name ${test} NAME_WE)
    set(target ${folder}_${name})
    add_executable(${target} ${test})
    target_link_libraries(${target} PRIVATE quillet_testsupport ${ARG_LIBS})
    target_compile_definitions(${target} PRIVATE
      QUILLET_TEST_BIN_DIR="${CMAKE_CURRENT_BINARY_DIR}"
      QUILLET_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
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
