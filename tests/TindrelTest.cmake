# tindrel_test(<name> SOURCES ... [LIBS ...] [X11] [SOUND] [LABEL <label>] [TIMEOUT <s>])
#
# A QtTest suite. Without X11 it runs on the offscreen platform with a fixed
# 1280 x 1024 screen; with X11 it runs on a private Xvfb display with openbox,
# which support/x11-session.sh starts and stops around it. With SOUND it runs
# with a private sound server (support/sound-session.sh).
set(TINDREL_TEST_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/support)

function(tindrel_test name)
  cmake_parse_arguments(T "X11;SOUND" "LABEL;TIMEOUT" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${name} PRIVATE ${TINDREL_TEST_SUPPORT})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(serial FALSE)
  set(command $<TARGET_FILE:${name}>)
  if(T_SOUND)
    set(command ${TINDREL_TEST_SUPPORT}/sound-session.sh ${command})
  endif()
  if(T_X11)
    add_test(NAME ${name} COMMAND ${TINDREL_TEST_SUPPORT}/x11-session.sh ${command})
    set(label x11)
    set(env "QT_QPA_PLATFORM=xcb")
    set(serial TRUE)
  else()
    add_test(NAME ${name} COMMAND ${command})
    set(label offscreen)
    set(env "QT_QPA_PLATFORM=offscreen:configfile=${TINDREL_TEST_SUPPORT}/offscreen-screen.json")
  endif()
  if(T_LABEL)
    set(label ${T_LABEL})
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT} RUN_SERIAL ${serial}
    ENVIRONMENT "${env};${T_ENVIRONMENT}")
endfunction()
