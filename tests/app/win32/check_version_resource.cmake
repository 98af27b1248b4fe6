# Reads a program file's version block back with the resource compiler and
# fails unless it carries the project's version.
execute_process(COMMAND ${RC} -i ${EXE} -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the resources of ${EXE}")
endif()
string(REPLACE "." ", " numbers "${VERSION}")
foreach(expected "FILEVERSION ${numbers}, 0, 0" "VALUE \"FileVersion\", \"${VERSION}\""
                 "VALUE \"ProductVersion\", \"${VERSION}\"" "VALUE \"CompanyName\", \"Tavrin Co\"")
  string(FIND "${resources}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${EXE}: no ${expected}")
  endif()
endforeach()
