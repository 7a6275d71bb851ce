# VLM_SOURCE_DATE: the date of the sources being built, written as the compiler writes __DATE__
# ("Dec 10 2026", "Dec  1 2026"). It is SOURCE_DATE_EPOCH when the environment gives one, else the
# date of the checkout's last commit, else today: two builds of one commit carry the same date
# however far apart they run.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE VlmCommitEpoch OUTPUT_STRIP_TRAILING_WHITESPACE
                    ERROR_QUIET RESULT_VARIABLE VlmGitResult)
    if(VlmGitResult EQUAL 0 AND VlmCommitEpoch MATCHES "^[0-9]+$")
      set(ENV{SOURCE_DATE_EPOCH} ${VlmCommitEpoch})
    endif()
  endif()
endif()
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH itself.
string(TIMESTAMP VlmMonth "%b" UTC)
string(TIMESTAMP VlmDay "%d" UTC)
string(TIMESTAMP VlmYear "%Y" UTC)
string(REGEX REPLACE "^0" " " VlmDay "${VlmDay}")
set(VLM_SOURCE_DATE "${VlmMonth} ${VlmDay} ${VlmYear}")
