# Fails when the committed drawing of the surface differs from what the simulator draws now
# from its tables. Run by CTest: cmake -DSIM=... -DCOMMITTED=... -DFRESH=... -P check_drawing.cmake
execute_process(COMMAND ${SIM} --draw-surface ${FRESH} RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "korvane-sim --draw-surface ${FRESH} failed: ${status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${FRESH}
    RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "${COMMITTED} is not what the simulator draws now (${FRESH}). "
        "Draw it again from the top of the clone and commit it:\n"
        "    ${SIM} --draw-surface docs/surface.svg")
endif()
message(STATUS "${COMMITTED} is what the simulator draws")
