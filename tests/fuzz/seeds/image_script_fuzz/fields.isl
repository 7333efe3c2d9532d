ISL 1
size 32 32
sine_plasma scale=9 mono=0
colour_plasma roughness=70 mode=101
pattern kind=6 cell=8 width=40 mode=4
pattern kind=7 cell=4 width=70 opacity=50
