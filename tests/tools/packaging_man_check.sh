#!/usr/bin/env bash
# Checks a manual page against what the program itself says in --help:
#  - every item of --help (the first word of a line indented by 2 to 6 spaces: a command, an
#    option or an option's value) begins the tag of a .TP paragraph of the page;
#  - every option named anywhere in --help (--name or -x) appears in the page;
#  - the page names no --option that --help does not know, and a COMMANDS section documents no
#    command that --help does not list;
#  - groff reads the page without warnings.
# So a new command or option fails here until the page documents it.
# Usage: packaging_man_check.sh PROGRAM PAGE
set -euo pipefail
program=$1
page=$2
problems=0
complain() {
  echo "$page: $*" >&2
  problems=$((problems + 1))
}

help=$("$program" --help)

# The page as plain text: font changes and hyphen escapes removed, one line per source line.
text=$(sed -E -e 's/\\f(\[[^]]*\]|\(..|.)//g' -e 's/\\-/-/g' -e 's/\\&//g' -e 's/\\\(aq/'"'"'/g' "$page")

# Tag lines: the line after each .TP (or .TQ), without a .B/.I macro or quotes; with the section
# or subsection each stands in.
tags=$(awk '
  /^\.S[HS]/ { section = $0; sub(/^\.S[HS] +/, "", section); gsub(/"/, "", section); next }
  /^\.T[PQ]/ { tag = 1; next }
  tag { line = $0; sub(/^\.(B|I|BR|IR|RB|RI) +/, "", line); gsub(/"/, "", line)
        print section "\t" line; tag = 0 }' <<<"$text")

items=$(grep -E '^ {2,6}[-A-Za-z0-9]' <<<"$help" | sed -E 's/^ +//; s/[ =[].*//' | sort -u)
options=$(grep -oE '(^|[][ |(,])--?[A-Za-z][A-Za-z0-9-]*' <<<"$help" | sed -E 's/^[][ |(,]//' |
  sort -u)
[ -n "$items" ] || complain "--help of $program lists no items (has its layout changed?)"

for item in $items; do
  grep -qE -- "^[^	]*	${item}([ =[,]|\$)" <<<"$tags" ||
    complain "'$item' from --help is not documented (no .TP paragraph starting with it)"
done
for option in $options; do
  grep -qE -- "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|\$)" <<<"$text" ||
    complain "option $option from --help is not mentioned"
done

# The other way round: nothing documented that the program does not have.
for option in $(grep -oE '(^|[^A-Za-z0-9-])--[a-z][a-z0-9-]*' <<<"$text" | sed -E 's/^[^-]//' |
  sort -u); do
  [ "$option" = --help ] && continue
  grep -qxF -- "$option" <<<"$options" || complain "documents $option, which --help does not know"
done
while IFS=$'\t' read -r section line; do
  [ "$section" = COMMANDS ] || continue
  command=${line%% *}
  grep -qxF -- "$command" <<<"$items" ||
    complain "documents the command '$command', which --help does not list"
done <<<"$tags"

if command -v groff >/dev/null 2>&1; then
  warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$page" 2>&1 || true)
  [ -z "$warnings" ] || complain "groff: $warnings"
else
  echo "groff not installed (Debian package groff-base): the page's markup is not checked"
fi

[ "$problems" -eq 0 ] || { echo "$problems problem(s) in $page" >&2; exit 1; }
echo "$page agrees with $program --help: $(wc -w <<<"$items") items, $(wc -w <<<"$options") options"
