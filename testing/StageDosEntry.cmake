# cmake -P: puts the DOS double SRC at DST when the host tree has built it, else a placeholder
# made by PLACEHOLDER. DST is rewritten only when its content changes, so the payload is
# rebuilt only then.
if(EXISTS "${SRC}")
  file(COPY_FILE "${SRC}" "${DST}" ONLY_IF_DIFFERENT)
else()
  execute_process(COMMAND "${PLACEHOLDER}" "${DST}.placeholder" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot make a placeholder for ${SRC}: build the host tree first")
  endif()
  message(STATUS "${SRC} not built: a placeholder stands in the payload")
  file(COPY_FILE "${DST}.placeholder" "${DST}" ONLY_IF_DIFFERENT)
endif()
