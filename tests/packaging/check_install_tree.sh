#!/usr/bin/env bash
# cmake --install into a scratch prefix: every file where the desktop looks for it, each one
# valid by the desktop's own validators, both manual pages rendering without warnings, the
# CLI's help, manual page and completion all listing the same commands.
# Usage: check_install_tree.sh BUILD_DIR
here=$(dirname "$(realpath "$0")")
source "$here/common.sh"
build=$1
require desktop-file-validate appstreamcli man bash
id=io.github.tallomer.Tallomer
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { fail "cmake --install"; finish; }

for file in bin/tallomer bin/tallomer-cli share/applications/$id.desktop \
    share/metainfo/$id.metainfo.xml share/icons/hicolor/scalable/apps/$id.svg \
    share/man/man1/tallomer.1.gz share/man/man1/tallomer-cli.1.gz \
    share/bash-completion/completions/tallomer-cli; do
  [ -e "$prefix/$file" ] || fail "not installed: $file"
done
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  if [ -e "$png" ]; then
    # PNG width and height sit at bytes 16..23 of the header.
    dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  else
    fail "no ${size}x${size} icon"
  fi
done

out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate says: $out"
grep -q '^Exec=tallomer %f$' "$prefix/share/applications/$id.desktop" || fail "Exec does not pass the file"
for type in application/vnd.ms-excel application/vnd.openxmlformats-officedocument.spreadsheetml.sheet; do
  grep -q "^MimeType=.*$type;" "$prefix/share/applications/$id.desktop" || fail "MimeType lacks $type"
done
out=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) || fail "appstreamcli: $out"
echo "$out" | grep -qE '^[EWI]:' && fail "appstreamcli reports: $out"

for page in tallomer tallomer-cli; do
  warnings=$(MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

# Help, help COMMAND, the manual page and the completion all come from one table.
cli=$prefix/bin/tallomer-cli
commands=$("$cli" --commands) || fail "tallomer-cli --commands"
help=$("$cli" --help) || fail "tallomer-cli --help exits $?"
man_text=$(MANWIDTH=200 man -l "$prefix/share/man/man1/tallomer-cli.1.gz" 2>/dev/null)
completion=$(bash -c '
  source "$1"
  COMP_WORDS=("$2" ""); COMP_CWORD=1
  _tallomer_cli; printf "%s\n" "${COMPREPLY[@]}"
  COMP_WORDS=("$2" help s); COMP_CWORD=2
  _tallomer_cli; printf "after help: %s\n" "${COMPREPLY[@]}"' _ \
  "$prefix/share/bash-completion/completions/tallomer-cli" "$cli")
[ "$(echo "$commands" | wc -l)" -ge 4 ] || fail "too few commands: $commands"
for command in $commands; do
  echo "$completion" | grep -qx "$command" || fail "completion lacks $command"
  [ "$command" = help ] && continue
  echo "$help" | grep -q "^  $command " || fail "--help lacks $command"
  echo "$man_text" | grep -q "tallomer-cli $command " || fail "man page lacks $command"
  "$cli" help "$command" | head -1 | grep -q "^Usage: tallomer-cli $command" || fail "help $command"
done
echo "$completion" | grep -qx "after help: show" || fail "help s does not complete to show: $completion"
"$cli" --version | grep -qE '^tallomer-cli [0-9]' || fail "tallomer-cli --version"
"$cli" help no-such-command >/dev/null 2>&1 && fail "help of an unknown command exits 0"
"$cli" no-such-command >/dev/null 2>&1; [ $? -eq 1 ] || fail "an unknown command does not exit 1"

# The program's own --help and --version need no display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tallomer" --help) || fail "tallomer --help exits $?"
echo "$out" | grep -q '^Usage: tallomer \[FILE\]' || fail "tallomer --help says: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/tallomer" --version) || fail "tallomer --version"
echo "$out" | grep -qE '^tallomer [0-9]' || fail "tallomer --version says: $out"
QT_QPA_PLATFORM=offscreen "$prefix/bin/tallomer" --no-such-option >/dev/null 2>&1; [ $? -eq 2 ] || fail "a wrong option does not exit 2"

# make install PREFIX=... is the same install.
make -C "$(dirname "$here")/.." --no-print-directory -s install-only BUILD="$build" PREFIX="$work/make-prefix" >/dev/null 2>&1 ||
  fail "make install-only PREFIX=..."
[ -x "$work/make-prefix/bin/tallomer-cli" ] || fail "make install put no tallomer-cli under PREFIX"
finish
