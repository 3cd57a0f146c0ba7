# Copies the data files of the installed layout into the staging folder.
# Called by the `stage` target with SOURCE_DIR and STAGE_DIR.
file(MAKE_DIRECTORY ${STAGE_DIR}/etc/corvantis ${STAGE_DIR}/share/corvantis)
if(EXISTS ${SOURCE_DIR}/share)
  file(COPY ${SOURCE_DIR}/share/ DESTINATION ${STAGE_DIR}/share)
endif()
