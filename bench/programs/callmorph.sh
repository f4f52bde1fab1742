# callmorph: the keywords with the heaviest work per line, each against cat of
# the same file and against the generic tool closest to its job.

# Dancer remapping: partner exchanges B and G in every picture designator.
measure callmorph-partner "'$BIN/callmorph' partner < '$BIG' > copy.seq"
measure sed-partner "LC_ALL=C sed -E 's/([1-4])B([<>^V])/\1@\2/g; s/([1-4])G([<>^V])/\1B\2/g; s/([1-4])@([<>^V])/\1G\2/g' '$BIG' > copy.seq"

# Lowering: tr lowers every capital and spares nothing, so it does less.
measure callmorph-lower "'$BIN/callmorph' lower < '$BIG' > copy.seq"
measure tr-lower "LC_ALL=C tr A-Z a-z < '$BIG' > copy.seq"

# Picture removal: drop picture lines, dots lines and empty lines.
measure callmorph-rmpic "'$BIN/callmorph' rmpic < '$BIG' > copy.seq"
measure grep-rmpic "LC_ALL=C grep -v -E '[1-4][BG][<>^V]|^( +\.)*( +\.?)?\$' '$BIG' > copy.seq"

# Heads and sides exchange: the same 25 first-occurrence substitutions.
switch_script='s/HEADS/TMPSS/; s/heads/tmpss/; s/SIDES/HEADS/; s/sides/heads/; s/TMPSS/SIDES/; s/tmpss/sides/;
s/HEAD BOY/TMPS BOY/; s/head boy/tmps boy/; s/SIDE BOY/HEAD BOY/; s/side boy/head boy/; s/TMPS BOY/SIDE BOY/; s/tmps boy/side boy/;
s/HEAD GIRL/TMPS GIRL/; s/head girl/tmps girl/; s/SIDE GIRL/HEAD GIRL/; s/side girl/head girl/; s/TMPS GIRL/SIDE GIRL/; s/tmps girl/side girl/;
s/HEADLINER/TMPSLINER/; s/headliner/tmpsliner/; s/SIDELINER/HEADLINER/; s/sideliner/headliner/; s/TMPSLINER/SIDELINER/; s/tmpsliner/sideliner/;
s/outheads/outsides/'
measure callmorph-switchhs "'$BIN/callmorph' switchhs < '$BIG' > copy.seq"
measure sed-switchhs "LC_ALL=C sed -E '$switch_script' '$BIG' > copy.seq"

# Squeezing runs of empty lines, as cat -s does.
measure callmorph-join "'$BIN/callmorph' join < '$BIG' > copy.seq"
measure cat-squeeze "cat -s '$BIG' > copy.seq"

ratio callmorph-partner cat 3
ratio callmorph-lower cat 3
ratio callmorph-rmpic cat 3
ratio callmorph-switchhs cat 6
ratio callmorph-partner sed-partner 1.0
ratio callmorph-lower tr-lower 1.0
ratio callmorph-rmpic grep-rmpic 1.0
ratio callmorph-switchhs sed-switchhs 1.0
ratio callmorph-join cat-squeeze 1.0
