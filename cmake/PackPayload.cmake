# cmake -DSTAGE=folder -DOUTPUT=file -P PackPayload.cmake: packs the staged
# payload into a ZIP archive with "cmake -E tar" (libarchive's ZIP writer:
# deflate, Unix modes), members named relative to the staging folder, in a
# fixed order.
file(GLOB_RECURSE members LIST_DIRECTORIES false RELATIVE ${STAGE} ${STAGE}/*)
list(SORT members)
if(NOT members)
  message(FATAL_ERROR "The payload staging folder ${STAGE} is empty")
endif()
file(REMOVE ${OUTPUT}.part)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT}.part --format=zip -- ${members}
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "Packing the payload failed")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
