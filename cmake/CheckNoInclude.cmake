# cmake -DDIR=src/<layer> -DFORBIDDEN=<layer> -P CheckNoInclude.cmake : fails when a source of one
# layer includes a header of a layer it must not see (layers only look down).
file(GLOB_RECURSE files ${DIR}/*.h ${DIR}/*.hpp ${DIR}/*.cpp)
set(bad "")
foreach(f IN LISTS files)
    file(STRINGS ${f} hits REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](\\.\\./)*${FORBIDDEN}/")
    if(hits)
        list(APPEND bad "${f}")
    endif()
endforeach()
if(bad)
    list(JOIN bad "\n  " shown)
    message(FATAL_ERROR "${FORBIDDEN}/ included from ${DIR}:\n  ${shown}")
endif()
