# Sanitized and fuzzing builds (clang on Linux; docs/fuzzing.md).
#
# TOLM_SANITIZE=address,undefined builds every target with those sanitizers; scripts/test.sh runs
# the whole suite so in build/sanitize. The runtime is linked as a shared library into every
# executable and shared library (-shared-libsan): libTolmServer7.so and libTolmProcess.so then name
# it as a dependency and still link with --no-undefined, and the one runtime loaded serves the whole
# process, the server library it loads included.
#
# TOLM_FUZZ=ON adds the fuzz targets of tests/fuzz and libFuzzer's coverage to every target, so that
# one sanitized build serves both the suite and the fuzzers.
set(TOLM_SANITIZE "" CACHE STRING "Sanitizers for every target, as -fsanitize takes them (clang only)")
option(TOLM_FUZZ "Build the fuzz targets of tests/fuzz (clang only, with TOLM_SANITIZE)" OFF)
if(TOLM_FUZZ AND NOT TOLM_SANITIZE)
  message(FATAL_ERROR "TOLM_FUZZ needs TOLM_SANITIZE (address,undefined)")
endif()
if(TOLM_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR WIN32)
    message(FATAL_ERROR "TOLM_SANITIZE needs clang on Linux")
  endif()
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.asan-x86_64.so
                  OUTPUT_VARIABLE tolm_asan_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT EXISTS "${tolm_asan_runtime}")
    message(FATAL_ERROR "No sanitizer runtime for ${CMAKE_CXX_COMPILER} (libclang-rt-14-dev)")
  endif()
  get_filename_component(tolm_sanitizer_runtime_dir "${tolm_asan_runtime}" DIRECTORY)
  set(tolm_sanitizers ${TOLM_SANITIZE})
  if(TOLM_FUZZ)
    string(APPEND tolm_sanitizers ",fuzzer-no-link")
    # libFuzzer itself, linked by hand: clang's -fsanitize=fuzzer with -shared-libsan puts the C++
    # library before the sanitizer runtime, which the runtime refuses at start.
    set(TOLM_LIBFUZZER ${tolm_sanitizer_runtime_dir}/libclang_rt.fuzzer-x86_64.a)
  endif()
  # Undefined behaviour stops the test that meets it instead of printing and going on.
  add_compile_options(-fsanitize=${tolm_sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${tolm_sanitizers} -shared-libsan -Wl,-rpath,${tolm_sanitizer_runtime_dir})
endif()
