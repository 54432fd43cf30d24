# Release builds are hardened as Debian builds its packages (dpkg-buildflags with
# hardening=+all): fortified libc calls (needs optimisation, hence Release only), a strong
# stack protector, stack clash protection, control-flow protection where the processor has it,
# read-only relocations bound at start. Debian's compiler already makes position-independent
# executables by default; `hardening-check` in scripts/package.sh verifies it all on the
# packaged programs.
include(CheckCXXCompilerFlag)
check_cxx_compiler_flag(-fcf-protection=full MIRELDA_HAS_CF_PROTECTION)
set(release "$<CONFIG:Release>")
add_compile_options(
  "$<${release}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
  "$<${release}:-fstack-protector-strong>"
  "$<${release}:-fstack-clash-protection>")
if(MIRELDA_HAS_CF_PROTECTION)
  add_compile_options("$<${release}:-fcf-protection=full>")
endif()
add_link_options("$<${release}:LINKER:-z,relro;LINKER:-z,now>")
unset(release)
