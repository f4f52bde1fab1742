# twocol pairs the big file with itself, against paste doing the same.
measure twocol "'$BIN/twocol' '$BIG' '$BIG' > copy.seq"
measure paste "paste -d'|' '$BIG' '$BIG' > copy.seq"
ratio twocol paste 1.0
