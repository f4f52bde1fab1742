# tailclip against the awk one-liner that keeps the last 76 bytes of a line.
measure tailclip "'$BIN/tailclip' < '$BIG' > copy.seq"
measure awk-tail "LC_ALL=C awk '{ n = length(\$0); print (n > 75 ? substr(\$0, n - 74) : \$0) }' '$BIG' > copy.seq"
ratio tailclip awk-tail 1.0
