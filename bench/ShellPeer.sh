#!/bin/sh
# Set and Clear as a find + xargs pipeline, the way one would do it by hand.
#
#   ShellPeer.sh set <installation> <decal name>
#   ShellPeer.sh clear <installation>
#
# It writes the same bytes as the tool for terrain files that end in a line
# break and hold no end-of-text mark (Ctrl-Z) and no lone CR, which is what the
# generated trees hold. Unlike the tool it does not cut an end-of-text mark
# before appending; sed keeps a last line without a line break as it is; and
# "temp.txt" is linked once per folder and batch, not per file, before sed
# rewrites the batch, so it ends up with the same text but a Clear killed
# midway may leave it holding another file.
set -eu

command=${1:-}
root=${2:-}

# Terrain files: ".ter" directly in a folder named "terrain", any letter case;
# hidden and write-protected folders are not entered, links not followed.
terrain_files() {
    find "$root/Custom Scenery" -mindepth 1 -type d \( -name '.*' -o ! -perm /222 \) -prune \
        -o -type f -iregex '.*/terrain/[^/]*\.ter' -print0
}

case $command in
set)
    DECAL=$3
    export DECAL
    terrain_files | xargs -0 -r sh -c '
        for f do
            printf "\r\nDECAL_LIB lib/g10/decals/%s\r\n" "$DECAL" >>"$f"
        done' sh
    ;;
clear)
    # Hold space: empty until the first line containing BASE, then "B". Lines
    # lose their CR and get CR LF back; decal lines go, and after the BASE
    # line so do lines of three bytes or less.
    terrain_files | xargs -0 -r sh -c '
        folder= last=
        for f do
            here=${f%/*}
            if [ -n "$last" ] && [ "$here" != "$folder" ]; then
                ln -f "$last" "$folder/temp.txt"
            fi
            folder=$here last=$f
        done
        ln -f "$last" "$folder/temp.txt"
        exec sed -i \
            -e "1{x;s/.*//;x;}" \
            -e "s/\r\$//" \
            -e "/BASE/{x;s/.*/B/;x;}" \
            -e "/DECAL_LIB/d" \
            -e "x" \
            -e "/^B/{x;/^.\{0,3\}\$/d;b keep" -e "}" \
            -e "x" \
            -e ":keep" \
            -e "s/\$/\r/" \
            "$@"' sh
    ;;
*)
    echo "usage: $0 set <installation> <decal name> | clear <installation>" >&2
    exit 2
    ;;
esac
