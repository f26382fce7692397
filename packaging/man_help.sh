#!/bin/sh
# Prints velmo's help followed by every command's, in the shape help2man
# reads, for the manual page made at build time:
#   help2man "sh man_help.sh OUT_DIR"
# (OUT_DIR holds the built velmo). Each command velmo lists becomes a
# subsection of a COMMANDS section: its usage line as the heading, then its
# options, without the -h line every command repeats.
set -eu
PATH="$1:$PATH"  # so that the usage lines say "velmo", not the build path
shift
case "${1:-}" in
  --version) exec velmo --version ;;
esac
velmo --help
printf '\n*Commands*\n'
for command in $(velmo --help | awk '/^Subcommands:$/ { listed = 1; next } listed && /^  [a-z]/ { print $1 }'); do
  velmo "$command" --help | awk '
    NR == 1 { summary = $0; next }
    /^Usage: / { sub(/^Usage: /, ""); printf "%s:\n  %s\n\n", $0, summary; next }
    /^(Positionals|Options):$/ || /^$/ || /^  -h,--help / { next }
    { print }'
  echo
done
