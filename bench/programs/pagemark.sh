# pagemark on the blank-line-separated file, against cat of the same data.
measure pagemark "'$BIN/pagemark' < '$BLANK' > copy.seq"
ratio pagemark cat-blank 2
