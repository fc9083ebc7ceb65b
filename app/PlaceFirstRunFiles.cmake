# Run after each build of the program: the help pages go beside the executable
# every time, the first-run settings only when no settings file is there yet,
# so that a user's settings are never overwritten.
file(COPY "${HELP_SOURCE}/" DESTINATION "${EXE_DIR}/help")
if(NOT EXISTS "${EXE_DIR}/welkatidor.INI")
  file(COPY_FILE "${INI_SOURCE}" "${EXE_DIR}/welkatidor.INI")
endif()
