# Release builds are hardened as Debian 12 builds its packages (dpkg-buildflags with
# hardening=+all): fortified libc calls (needs optimisation, hence Release only), a strong
# stack protector, stack clash protection, read-only relocations bound at start. Debian's
# compiler already makes position-independent executables by default. Control-flow protection
# is left out: Debian 12's C start files lack its marker, so the linker would drop it from any
# program. `hardening-check` in scripts/package.sh verifies the rest on the packaged programs.
set(release "$<CONFIG:Release>")
add_compile_options(
  "$<${release}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
  "$<${release}:-fstack-protector-strong>"
  "$<${release}:-fstack-clash-protection>")
add_link_options("$<${release}:LINKER:-z,relro;LINKER:-z,now>")
unset(release)
