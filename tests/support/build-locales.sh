#!/bin/sh
# Builds locales into a folder of their own, for programs run with
# LOCPATH=FOLDER: a machine has only the locales its administrator generated.
# Usage: build-locales.sh FOLDER LOCALE... (as de_DE.UTF-8); a locale already
# there is kept. Needs the locales' sources (Debian package locales).
set -u
folder=$1
shift
mkdir -p "$folder" || exit 1
for locale in "$@"; do
    [ -f "$folder/$locale/LC_CTYPE" ] ||
        localedef -c -i "${locale%%.*}" -f "${locale#*.}" "$folder/$locale"
    [ -f "$folder/$locale/LC_CTYPE" ] || { echo "no locale $locale could be built" >&2; exit 1; }
done
