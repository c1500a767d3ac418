# Copies the sample books (SOURCE) beside the tavrel program (DESTINATION), replacing an
# older copy so that files removed from the sample disappear too. Without a sample there is
# nothing to do.
if(EXISTS "${SOURCE}")
  file(REMOVE_RECURSE "${DESTINATION}")
  file(COPY "${SOURCE}/" DESTINATION "${DESTINATION}")
endif()
