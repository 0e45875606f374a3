# Job files for the end-to-end tests, written as the programs write them (CR LF lines),
# sourced by tavrel-e2e.sh and tavrelc-e2e.sh.

# job_file FILE DESCRIPTION DEST SLETDEST KUNNYE TYPES MODSAT: a job file of version 2 with
# subfolders and the leave-out filter; an empty description or type list leaves its line out.
job_file() {
    local file="$1" beskiv="$2" dest="$3" slet="$4" nye="$5" types="$6" modsat="$7"
    {
        printf 'FilVer=2\r\n'
        [ -n "$beskiv" ] && printf 'Beskiv=%s\r\n' "$beskiv"
        printf 'Dest=%s\r\nSletDest=%s\r\nUndermapper=1\r\nKunNye=%s\r\nKunFiltyper=0\r\n' "$dest" "$slet" "$nye"
        [ -n "$types" ] && printf 'FilTyper=%s\r\n' "$types"
        printf 'Modsat=%s\r\n' "$modsat"
    } > "$file"
}

# job_list FILE FOLDER...: the job's list of marked folders.
job_list() {
    local file="$1" f; shift
    : > "$file"
    for f in "$@"; do printf '%s\r\n' "$f" >> "$file"; done
}
