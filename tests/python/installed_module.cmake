# Installs the Python package under a scratch prefix and runs one small run with it, from a
# clean folder, in an isolated interpreter (no PYTHONPATH, no user site, no current folder).
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH}/clean)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${SCRATCH}/prefix
                        --component python
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
if(IS_ABSOLUTE "${PACKAGE_DIR}")
  set(site "${PACKAGE_DIR}")
else()
  set(site "${SCRATCH}/prefix/${PACKAGE_DIR}")
endif()
set(script [=[
import site, sys
site.addsitedir(sys.argv[1])
import wrnsim
assert wrnsim.__file__.startswith(sys.argv[1]), wrnsim.__file__
result = wrnsim.run(wrnsim.Network.load(sys.argv[2]), all_pairs=True, load=0.5, calls=50)
assert result.calls.offered > 0
print(wrnsim.__version__, result.blocking_probability)
]=])
execute_process(COMMAND ${PYTHON} -I -c "${script}" ${site} ${NETWORK}
                WORKING_DIRECTORY ${SCRATCH}/clean RESULT_VARIABLE status)
file(REMOVE_RECURSE ${SCRATCH})
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed module did not run: ${status}")
endif()
