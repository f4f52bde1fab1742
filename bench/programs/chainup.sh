# chainup joins the big file three times over, against cat doing the same.
measure chainup "'$BIN/chainup' '$BIG' '$BIG' '$BIG' > copy.seq"
measure cat-3 "cat '$BIG' '$BIG' '$BIG' > copy.seq"
ratio chainup cat-3 1.5
