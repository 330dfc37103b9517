# Runs a test exe copied into a directory whose path is longer than MAX_PATH (cmake -P script).
# -DEXE=the exe -DEMULATOR=the Wine loader -DDIR=where to build the long directory -DFILTER=gtest filter -DRESULT=xml path
set(dir ${DIR})
file(REMOVE_RECURSE ${dir})
string(LENGTH "${dir}" length)
while(length LESS 320)
  set(dir "${dir}/a-directory-name-of-forty-characters-xx")
  string(LENGTH "${dir}" length)
endwhile()
file(MAKE_DIRECTORY ${dir})
file(COPY ${EXE} DESTINATION ${dir})
get_filename_component(name ${EXE} NAME)
execute_process(COMMAND ${EMULATOR} ${dir}/${name} --gtest_filter=${FILTER} --gtest_output=xml:${RESULT}
                RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${DIR})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${name} from a ${length}-character directory: ${rc}")
endif()
