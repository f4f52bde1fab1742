# tallyup: renumber every title line of the big sequence file, against cat of
# the same file and against an awk script that does the same job.
measure tallyup "'$BIN/tallyup' '$BIG' > copy.seq"
measure awk-tallyup "awk 'p { if (match(\$0, / [^ ]*\$/)) \$0 = substr(\$0, 1, RSTART) n; p = 0 } /^(Mon|Tue|Wed|Thu|Fri|Sat|Sun) / { n++; p = 1 } { print }' '$BIG' > copy.seq"
ratio tallyup cat 2
ratio tallyup awk-tallyup 1
