# The hardening Debian builds its packages with, for the native builds users
# install: checked buffer functions where the size is known, and a read-only
# relocation table resolved at start. Fortified functions need the optimizer,
# so a Debug build goes without them; an earlier -D from the compiler's own
# defaults is taken back first.
add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE> $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
add_link_options(-Wl,-z,relro,-z,now)
