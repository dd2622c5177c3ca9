#!/usr/bin/env bash
# "Attach Voice" press → file attached, with the real e-mail programs
# (Thunderbird, Evolution, Claws Mail), on X11 (Xvfb + openbox) and on the
# headless Wayland sessions of GNOME, KDE Plasma and sway, where the programs
# run natively and the wizard under Xwayland. Each program and environment
# gets a session of its own (tests/support/x11-session.sh,
# wayland-session.sh) and PRESSES presses, each into a compose window of its
# own; the first press is the cold one and is shown apart, the others give
# median, min and max. Target: at most 1.4 s (the median) everywhere.
#
# Usage: run.sh [BUILD_DIR]   (default build/)
# x11-a11y is X11 again with the programs on the desktop's accessibility bus
# (TINDREL_MAIL_ACCESSIBILITY=on), as on an X11 desktop running its service.
# An environment ending in -portal runs the desktop portal as that desktop
# does (SESSION_PORTAL=desktop, tests/support/desktop-portal.sh), whose file
# chooser Thunderbird then shows; x11-portal without accessibility, so that
# the portal's chooser takes the keys.
# Environment: ATTACH_PRESSES (6), ATTACH_ENVS ("x11 x11-a11y gnome kde sway"),
#   ATTACH_PROGRAMS ("thunderbird evolution claws-mail"), ATTACH_LANGUAGE (a
#   locale such as de_DE.UTF-8: the sessions and the programs in that
#   language, with the locale built for them; unset: as this shell has it).
# Prints one row per environment and program in the form of the rows of
# bench/RESULTS.md on standard output, the whole table with notes on standard
# error, and writes that table to BUILD_DIR/bench/attach/attach-results.md
# (each session's output and log beside it, in runs/). An environment that
# fails is reported in the table; the others still run.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd) || exit 1
presses=${ATTACH_PRESSES:-6}
envs=${ATTACH_ENVS:-x11 x11-a11y gnome kde sway}
programs=${ATTACH_PROGRAMS:-thunderbird evolution claws-mail}
target=1.4
support=$root/tests/support
language=${ATTACH_LANGUAGE:-}

cmake --build "$build" --target bench_attach >&2 || { echo "bench_attach did not build" >&2; exit 1; }
bin=$build/bench/attach/bench_attach
outdir=$build/bench/attach
runs=$outdir/runs
rm -rf "$runs"
mkdir -p "$runs"
all=$runs/all.txt
: >"$all"
language_env=()
if [ -n "$language" ]; then
    locales=$outdir/locales
    "$support/build-locales.sh" "$locales" "$language" || exit 1
    language_env=(LANG="$language" LOCPATH="$locales")
fi

# KWin lets a program press keys (into KDE's portal chooser) by its desktop
# entry: the wizard's, naming this benchmark's program, as if installed.
data=$outdir/session-data
mkdir -p "$data/applications"
sed -e "s|@TINDREL_PROGRAM@|$bin|" -e 's|@TINDREL_ID@|org.tindrel.Tindrel|' \
    "$root/vardane/resources/vardane.desktop.in" >"$data/applications/org.tindrel.Tindrel.desktop"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
started=$(date -u '+%Y-%m-%d %H:%M UTC')
for env in $envs; do
    for program in $programs; do
        out=$runs/$env-$program.out
        log=$runs/$env-$program.log
        echo "== $env / $program ($presses presses)" >&2
        accessible=
        portal=none
        no_bridge=
        kind=${env%-portal}
        if [ "$kind" != "$env" ]; then
            portal=desktop
            [ "$kind" = x11 ] && no_bridge=1
        fi
        if [ "$kind" = x11 ] || [ "$kind" = x11-a11y ]; then
            session=("$support/x11-session.sh" --own-home dbus-run-session --)
            [ "$kind" = x11-a11y ] && accessible=on
        else
            session=("$support/wayland-session.sh" "$kind")
        fi
        # A session that ended under the run (status 75) gets one more try.
        for try in 1 2; do
            QT_QPA_PLATFORM=xcb TINDREL_MAIL_PROGRAM=$program TINDREL_MAIL_ACCESSIBILITY=$accessible \
                SESSION_PORTAL=$portal SESSION_DATA_DIR=$data env ${no_bridge:+NO_AT_BRIDGE=1} "${language_env[@]}" "${session[@]}" "$bin" "$env" "$presses" 2>"$log" </dev/null | tee "$out" >&2
            status=${PIPESTATUS[0]}
            [ "$status" -eq 75 ] || break
            echo "   the session ended under the run; once more in a new session" >&2
        done
        cat "$out" >>"$all"
        echo "RAN $env $program $status" >>"$all"
        if [ "$status" -ne 0 ]; then
            echo "   ended with status $status; the end of its log ($log):" >&2
            grep -v -e 'Gtk-CRITICAL' -e 'Gtk-WARNING' -e '^$' "$log" | tail -n 15 | sed 's/^/   | /' >&2
        fi
    done
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# The table, from the lines the runs printed (see main.cpp):
#   PRESS env program n seconds pauses ok|FAIL why...
#   VERIFY env program ok|FAIL why...;  BROKEN env program why...;  RAN env program status
summary() {
    awk -v envs="$envs" -v programs="$programs" -v target="$target" -v presses="$presses" \
        -v form="$1" -v language="$language" '
    function rest(from,   s, j) {
        s = ""
        for (j = from; j <= NF; j++) s = s (j > from ? " " : "") $j
        return s
    }
    function median(a, n,   m) {
        m = int((n + 1) / 2)
        return n % 2 ? a[m] : (a[m] + a[m + 1]) / 2
    }
    function sortn(a, n,   i, j, x) {
        for (i = 2; i <= n; i++) {
            x = a[i]
            for (j = i - 1; j >= 1 && a[j] > x; j--) a[j + 1] = a[j]
            a[j + 1] = x
        }
    }
    BEGIN {
        shown["x11"] = "X11 (Xvfb + openbox)"
        shown["x11-a11y"] = "X11, programs on the accessibility bus"
        shown["gnome"] = "GNOME (gnome-shell, Wayland)"
        shown["kde"] = "KDE Plasma (KWin, Wayland)"
        shown["sway"] = "sway (Wayland)"
        shown["x11-portal"] = "X11 with the desktop portal (its GTK backend)"
        shown["x11-a11y-portal"] = "X11, accessibility bus, the desktop portal"
        shown["sway-portal"] = "sway (Wayland) with the desktop portal (-wlr, -gtk)"
        shown["gnome-portal"] = "GNOME (Wayland) with the desktop portal (-gnome, GTK 4)"
        shown["thunderbird"] = "Thunderbird"
        shown["evolution"] = "Evolution"
        shown["claws-mail"] = "Claws Mail"
    }
    $1 == "PRESS" {
        k = $2 SUBSEP $3
        pressed[k]++
        if ($7 == "ok") {
            if ($4 == 1) cold[k] = sprintf("%.2f", $5)
            else { n[k]++; t[k, n[k]] = $5; p[k, n[k]] = $6 }
        } else {
            failed[k]++
            if ($4 == 1) cold[k] = "failed"
            notes = notes sprintf("- %s, %s, press %d: %s\n", shown[$2], shown[$3], $4, rest(8))
        }
    }
    $1 == "VERIFY" {
        k = $2 SUBSEP $3
        verified[k] = $4 == "ok" ? "checked" : "FAIL"
        if ($4 != "ok")
            notes = notes sprintf("- %s, %s, draft: %s\n", shown[$2], shown[$3], rest(5))
    }
    $1 == "BROKEN" {
        broken[$2 SUBSEP $3] = rest(4)
    }
    $1 == "RAN" {
        status[$2 SUBSEP $3] = $4
    }
    END {
        ne = split(envs, E, " ")
        np = split(programs, P, " ")
        if (form == "table") {
            printf "Attach Voice press → file attached (the e-mail program'"'"'s file chooser closed with the voice file taken), in seconds.\n"
            printf "Target: at most %s s (the median of the warm presses) in every environment, every press going through.\n\n", target
            print "| Environment | Program | Median | Min | Max | n | First press | Fixed pauses | Failed | Draft | Verdict |"
            print "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |"
        }
        for (e = 1; e <= ne; e++) for (q = 1; q <= np; q++) {
            k = E[e] SUBSEP P[q]
            env = ((E[e] in shown) ? shown[E[e]] : E[e]) (language != "" ? ", in " language : "")
            prog = (P[q] in shown) ? shown[P[q]] : P[q]
            m = n[k] + 0
            for (i = 1; i <= m; i++) { a[i] = t[k, i]; b[i] = p[k, i] }
            sortn(a, m); sortn(b, m)
            f = failed[k] + 0
            draft = (k in verified) ? verified[k] : "not checked"
            if (m > 0) {
                med = sprintf("%.2f", median(a, m)); lo = sprintf("%.2f", a[1]); hi = sprintf("%.2f", a[m])
                pz = sprintf("%.2f", median(b, m))
                verdict = (med + 0 <= target + 0 && f == 0 && m >= presses - 1) ? "pass" : "FAIL"
            } else {
                med = lo = hi = pz = "–"
                verdict = "FAIL"
            }
            first = (k in cold) ? cold[k] : "–"
            if (!(k in pressed)) {
                why = (k in broken) ? broken[k] : ((k in status) ? "ended with status " status[k] " before any press" : "not run")
                notes = notes sprintf("- %s, %s: did not run: %s\n", env, prog, why)
                verdict = "did not run"
            } else if ((k in status) && status[k] != 0 && status[k] != 1) {
                notes = notes sprintf("- %s, %s: the run ended with status %s after %d presses\n", env, prog, status[k], pressed[k])
            }
            if (form == "table")
                printf "| %s | %s | %s | %s | %s | %d | %s | %s | %d | %s | %s |\n", env, prog, med, lo, hi, m, first, pz, f, draft, verdict
            else
                printf "| Attach Voice press → file attached: %s on %s | median %s s, min %s s, max %s s, n = %d (first press %s s, not counted); %s s of it fixed pauses; %d presses failed; draft %s | median ≤ %s s, every press through | %s |\n", prog, env, med, lo, hi, m, first, pz, f, draft, target, verdict
        }
        if (form == "table") {
            if (notes != "") printf "\nWhat failed:\n\n%s", notes
            else printf "\nNothing failed.\n"
        }
    }' "$all"
}

table=$outdir/attach-results.md
{
    echo "# Attach Voice with the real e-mail programs"
    echo
    echo "- Run: $started to $(date -u '+%H:%M UTC'), \`bench/attach/run.sh\`, $presses presses per environment and program, the first one cold (not counted)${language:+; sessions and programs in $language}"
    echo "- Machine: $(nproc) cores; load average before/after: $load_before / $load_after"
    echo
    summary table
} >"$table"
echo >&2
cat "$table" >&2
echo >&2
echo "Written to $table" >&2
summary rows
