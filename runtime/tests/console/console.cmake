# The game runtime on the console's own CPU. A test ROM, built here from the runtime's header and
# the console test's calls, runs headless in Debian's mupen64plus core, and everything it draws
# and returns must equal, byte for byte, what the same calls give on this machine. The ROM is
# linked with nothing but its own code: a runtime that needed a library helper (a 64-bit
# division, say) would not link. Included from the main CMakeLists.txt, with the tests.
option(TYPEKILN_REQUIRE_CONSOLE "Fail unless the console test can be built and run" OFF)

set(console_source ${PROJECT_SOURCE_DIR}/runtime/tests/console)
set(console_build ${CMAKE_CURRENT_BINARY_DIR}/console)
find_program(TYPEKILN_MIPS_OBJCOPY mips-linux-gnu-objcopy)
find_program(TYPEKILN_MIPS_NM mips-linux-gnu-nm)
find_path(TYPEKILN_M64P_INCLUDE m64p_frontend.h PATH_SUFFIXES mupen64plus)

# Where the test cannot be built, it says why and what to install, and counts as skipped.
function(console_test_skipped reason)
  add_test(NAME runtime_console COMMAND sh -c "echo 'skipped: ${reason}'; exit 77")
  set_tests_properties(runtime_console PROPERTIES SKIP_RETURN_CODE 77)
endfunction()

if(TYPEKILN_MIPS_CC AND TYPEKILN_MIPS_OBJCOPY AND TYPEKILN_MIPS_NM)
  # The console's CPU, a VR4300, with the 32-bit ABI; no C library, no libgcc.
  set(rom_flags -march=vr4300 -mtune=vr4300 -mfix4300 -mabi=32 -mno-abicalls -fno-pic -G0
    -ffreestanding -nostdlib -O2 -std=c99 -Wall -Wextra -Wpedantic -Wshadow
    -I${PROJECT_SOURCE_DIR}/runtime)
  if(CMAKE_COMPILE_WARNING_AS_ERROR)
    list(APPEND rom_flags -Werror)
  endif()
  set(rom_link -static -no-pie -Wl,--build-id=none)
  add_custom_command(OUTPUT ${console_build}/boot.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${console_build}
    COMMAND ${TYPEKILN_MIPS_CC} ${rom_flags} ${rom_link} -Wl,-Ttext=0xA4000040 -Wl,-e,boot
      -o ${console_build}/boot.elf ${console_source}/boot.S
    COMMAND ${TYPEKILN_MIPS_OBJCOPY} -O binary -j .text ${console_build}/boot.elf
      ${console_build}/boot.bin
    DEPENDS ${console_source}/boot.S
    VERBATIM)
  add_custom_command(OUTPUT ${console_build}/program.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${console_build}
    COMMAND ${TYPEKILN_MIPS_CC} ${rom_flags} ${rom_link} -T ${console_source}/rom.ld
      -o ${console_build}/program.elf ${console_source}/start.S ${console_source}/rom_main.c
      ${console_source}/console_calls.c
    COMMAND ${TYPEKILN_MIPS_OBJCOPY} -O binary ${console_build}/program.elf
      ${console_build}/program.bin
    DEPENDS ${console_source}/start.S ${console_source}/rom_main.c
      ${console_source}/console_calls.c ${console_source}/console_calls.h
      ${console_source}/rom.ld ${PROJECT_SOURCE_DIR}/runtime/typekiln_font.h
    VERBATIM)
  # The runtime alone, built for the console as a game may build it (unoptimised, for size, and
  # for speed, the last option winning): each object may name no function it does not define
  # (no library helper, no memcpy for a struct copy), which the test below checks.
  set(runtime_objects)
  foreach(level O0 Os O2)
    set(object ${console_build}/typekiln_font-${level}.o)
    add_custom_command(OUTPUT ${object}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${console_build}
      COMMAND ${TYPEKILN_MIPS_CC} ${rom_flags} -${level} -c -o ${object}
        ${PROJECT_SOURCE_DIR}/runtime/typekiln_font.c
      DEPENDS ${PROJECT_SOURCE_DIR}/runtime/typekiln_font.c
        ${PROJECT_SOURCE_DIR}/runtime/typekiln_font.h
      VERBATIM)
    list(APPEND runtime_objects ${object})
  endforeach()
  add_custom_target(console_rom_parts ALL DEPENDS ${console_build}/boot.bin
    ${console_build}/program.bin ${runtime_objects})
  add_test(NAME runtime_calls_nothing
    COMMAND ${CMAKE_COMMAND} -DNM=${TYPEKILN_MIPS_NM} "-DOBJECTS=${runtime_objects}"
      -P ${console_source}/calls_nothing.cmake)

  add_executable(make_rom ${console_source}/make_rom.c)
  target_link_libraries(make_rom PRIVATE typekiln_flags)
  add_executable(console_host ${console_source}/host_main.c ${console_source}/console_calls.c)
  target_include_directories(console_host PRIVATE runtime)
  target_link_libraries(console_host PRIVATE typekiln_flags)

  if(TYPEKILN_M64P_INCLUDE)
    # The front end loads the core itself, and is built without the sanitizers, which would
    # judge the core's own code.
    add_executable(run_rom ${console_source}/run_rom.c)
    target_include_directories(run_rom SYSTEM PRIVATE ${TYPEKILN_M64P_INCLUDE})
    target_compile_options(run_rom PRIVATE -Wall -Wextra)
    target_link_libraries(run_rom PRIVATE ${CMAKE_DL_LIBS})
    add_test(NAME runtime_console
      COMMAND ${console_source}/console_test.sh $<TARGET_FILE:make_rom>
        ${console_build}/boot.bin ${console_build}/program.bin $<TARGET_FILE:run_rom>
        $<TARGET_FILE:console_host> ${example_fonts} ${console_build}/run
        $<IF:$<BOOL:${TYPEKILN_REQUIRE_CONSOLE}>,required,optional>)
    set_tests_properties(runtime_console PROPERTIES FIXTURES_REQUIRED example_fonts
      SKIP_RETURN_CODE 77)
  elseif(TYPEKILN_REQUIRE_CONSOLE)
    message(FATAL_ERROR "The console test needs mupen64plus's headers (libmupen64plus-dev), its "
      "core (libmupen64plus2) and its data (mupen64plus-data)")
  else()
    console_test_skipped(
      "no m64p_frontend.h; install libmupen64plus-dev libmupen64plus2 mupen64plus-data")
  endif()
elseif(TYPEKILN_REQUIRE_CONSOLE)
  message(FATAL_ERROR "The console test needs mips-linux-gnu-gcc, mips-linux-gnu-objcopy and "
    "mips-linux-gnu-nm (gcc-mips-linux-gnu)")
else()
  console_test_skipped("no mips-linux-gnu-gcc to build the ROM with; install gcc-mips-linux-gnu")
endif()
