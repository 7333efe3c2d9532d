# Wood grain: long, gently wavering light and dark growth lines along the board.
ISL 1
size 256 256
seed 301
background 170 118 70
perlin cell=128 octaves=3 opacity=40 color1=150,100,56 color2=190,138,86
fibers count=500 length=100 thickness=2 angle=0 jitter=2 curl=1 vary=70 opacity=55 color1=196,146,92 color2=112,70,36
fibers count=200 length=100 thickness=1 angle=0 jitter=2 curl=1 vary=40 opacity=60 color1=140,90,48 color2=92,56,26
blur radius=1 passes=1
