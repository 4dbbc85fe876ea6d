#!/usr/bin/env bash
# Loads velsaro-clave's bash completion as bash-completion does and completes a few command lines in a
# scratch folder: options from their first letters, pictures and folders but not other files, and a
# catalogue file of any name. Argument: the completion file.
set -uo pipefail
completion=$1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && mkdir fotos && touch cara.jpg CARA2.GIF notas.txt fotos.db

fail() { echo "completion test: $*" >&2; exit 1; }

# The words offered for the command line given, sorted, on one line.
complete_line() {
    bash --norc --noprofile -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _velsaro_clave velsaro-clave "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        (( ${#COMPREPLY[@]} )) && printf "%s\n" "${COMPREPLY[@]}" | sort | tr "\n" " "' _ "$completion" "$@"
}

expect() {
    local expected=$1; shift
    local got
    got=$(complete_line "$@")
    [ "$got" = "$expected" ] || fail "«$*»: expected «$expected», got «$got»"
}

expect '--catalogue --compare ' velsaro-clave --c
expect '--jobs= --json ' velsaro-clave --j
expect '--matrix --merge ' velsaro-clave --m
expect 'CARA2.GIF cara.jpg fotos ' velsaro-clave --compare ''
expect 'fotos fotos.db ' velsaro-clave --catalogue fo
expect 'fotos fotos.db ' velsaro-clave --catalogue a.db --merge fo
expect '--import ' velsaro-clave --i
expect '--find --fit ' velsaro-clave --f
expect '--help --html ' velsaro-clave --h
expect 'fotos fotos.db ' velsaro-clave --catalogue a.db --import fo
expect '' velsaro-clave -j ''
echo "completion test: velsaro-clave's options and paths complete"
