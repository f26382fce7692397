# -O1 keeps every check and runs the suites several times faster than an
# unoptimised build, whose longest renders set the whole run's time.
add_compile_options(-O1 -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_link_options(-fsanitize=address,undefined)
