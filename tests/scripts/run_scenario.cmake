# Runs one scenario script with fumsh and compares what it printed.
#
# Directives, as comment lines of the script:
#   # exit: N           the exit status expected (default 0)
#   # command: ARGS     run `fumsh ARGS` instead of `fumsh NAME.fum`
#   # stdin             feed the script on standard input
#   # file-size-limit: N  no file may grow past N blocks of 512 bytes (a write
#                       past that fails with EFBIG, as on a full disk)
#   # absent: FILE      FILE must not exist in the scratch directory afterwards
#   # size: FILE N      FILE must hold N bytes afterwards
#   # interrupt-after: S  send SIGINT (Ctrl-C) after S seconds
# Every file in DATA is copied next to the script first. With EXPECTED
# empty only the exit status is checked. -DARGS=... passes arguments after
# the script's name (for scripts that cannot carry a command directive).
foreach(var FUMSH SCRIPT EXPECTED DATA SCRATCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_scenario.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
file(GLOB data_files ${DATA}/*)
file(COPY ${SCRIPT} ${data_files} DESTINATION ${SCRATCH})
get_filename_component(name ${SCRIPT} NAME)

set(expected_exit 0)
set(args ${name} ${ARGS})
set(input)
set(limit)
set(absent)
set(sizes)
set(interrupt)
file(STRINGS ${SCRIPT} directives REGEX "^# (exit:|command:|stdin|file-size-limit:|absent:|size:|interrupt-after:)")
foreach(line IN LISTS directives)
  if(line MATCHES "^# exit: *([0-9]+)")
    set(expected_exit ${CMAKE_MATCH_1})
  elseif(line MATCHES "^# command: *(.*)$")
    separate_arguments(args UNIX_COMMAND "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^# stdin *$")
    set(args)
    set(input INPUT_FILE ${SCRATCH}/${name})
  elseif(line MATCHES "^# file-size-limit: *([0-9]+)")
    set(limit ${CMAKE_MATCH_1})
  elseif(line MATCHES "^# absent: *(.+)$")
    list(APPEND absent ${CMAKE_MATCH_1})
  elseif(line MATCHES "^# size: *([^ ]+) +([0-9]+)$")
    list(APPEND sizes "${CMAKE_MATCH_1}:${CMAKE_MATCH_2}")
  elseif(line MATCHES "^# interrupt-after: *([0-9.]+)")
    set(interrupt ${CMAKE_MATCH_1})
  endif()
endforeach()

set(command ${FUMSH} ${args})
if(limit)
  # With SIGXFSZ ignored a write past the limit fails instead of killing.
  set(command sh -c "trap '' XFSZ && ulimit -f ${limit} && exec \"$0\" \"$@\"" ${command})
endif()

if(interrupt)
  # The shell's wait answers the child's own exit status. Lines, not ';',
  # separate the commands: a ';' would split the CMake list.
  set(command sh -c "\"$0\" \"$@\" & p=$!\nsleep ${interrupt}\nkill -INT $p\nwait $p" ${command})
endif()

# One variable for both streams keeps their lines in the order written.
execute_process(COMMAND ${command} ${input}
  WORKING_DIRECTORY ${SCRATCH}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE actual
  RESULT_VARIABLE status)
foreach(entry IN LISTS sizes)
  string(REPLACE ":" ";" entry "${entry}")
  list(GET entry 0 file)
  list(GET entry 1 bytes)
  set(found -1)
  if(EXISTS ${SCRATCH}/${file})
    file(SIZE ${SCRATCH}/${file} found)
  endif()
  if(NOT found EQUAL bytes)
    message(FATAL_ERROR "${name}: ${file} holds ${found} bytes (expected ${bytes})\n${actual}")
  endif()
endforeach()
foreach(file IN LISTS absent)
  if(EXISTS ${SCRATCH}/${file})
    message(FATAL_ERROR "${name}: ${file} was left behind")
  endif()
endforeach()

if(EXPECTED STREQUAL "")
  if(NOT status STREQUAL expected_exit)
    message(FATAL_ERROR "${name}: exit status ${status} (expected ${expected_exit})\n${actual}")
  endif()
  return()
endif()
file(READ ${EXPECTED} expected)
if(actual STREQUAL expected AND status STREQUAL expected_exit)
  return()
endif()

file(WRITE ${SCRATCH}/actual.out "${actual}")
find_program(DIFF diff)
if(DIFF)
  execute_process(COMMAND ${DIFF} -u ${EXPECTED} ${SCRATCH}/actual.out OUTPUT_VARIABLE difference)
else()
  set(difference "expected:\n${expected}\nactual:\n${actual}")
endif()
message(FATAL_ERROR "${name}: exit status ${status} (expected ${expected_exit})\n${difference}")
