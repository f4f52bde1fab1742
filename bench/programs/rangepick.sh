# rangepick reads its input twice (counting, copying) and writes two files.
measure rangepick "'$BIN/rangepick' -q 1000,2000 '$BIG'"
ratio rangepick cat 2
