# cmake -DPE=scripts/pe.py -DARCH=x86_64 -DEXE=x.exe -DNAMES=a.dll,b.dll -P pe_refuses.cmake:
# pe.py must refuse EXE, naming each of NAMES as a DLL looked for beside it.
execute_process(COMMAND python3 ${PE} ${ARCH} ${EXE} RESULT_VARIABLE status
                OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(status EQUAL 0)
  message(FATAL_ERROR "pe.py passed ${EXE}: ${said}")
endif()
string(REPLACE "," ";" NAMES "${NAMES}")
foreach(name ${NAMES})
  if(NOT said MATCHES "beside the exe first: [^\n]*${name}")
    message(FATAL_ERROR "pe.py refused ${EXE} without naming ${name}: ${said}")
  endif()
endforeach()
