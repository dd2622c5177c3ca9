#!/bin/sh
# Runs the command once for each e-mail program named in TINDREL_MAIL_PROGRAMS
# (as TINDREL_MAIL_PROGRAM), one after another in the same session; stops at
# the first run that fails, with its status.
for program in $TINDREL_MAIL_PROGRAMS; do
    echo "--- $program"
    TINDREL_MAIL_PROGRAM=$program "$@" || exit $?
done
