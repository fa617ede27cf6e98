# qb_test_program(<name> [SOURCES ...] [LIBS ...] [ARGS ...] [ENV k=v ...] [TIMEOUT s] [GUI])
#
# One declaration serves both builds: the Windows build compiles the GoogleTest program
# <name>.exe from <name>.cpp (and SOURCES: resources, files of the product); the host build
# registers it as the CTest entry wine.<name>, run under Wine.
function(qb_test_program name)
  cmake_parse_arguments(T "GUI" "TIMEOUT" "SOURCES;LIBS;ARGS;ENV" ${ARGN})
  if(WIN32)
    add_executable(${name} ${name}.cpp ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest qb_options)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  else()
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    set(extra)
    if(T_TIMEOUT)
      list(APPEND extra TIMEOUT ${T_TIMEOUT})
    endif()
    add_wine_test(${name} EXE ${rel}/${name}.exe ARGS ${T_ARGS} ENV ${T_ENV} ${extra})
  endif()
endfunction()
