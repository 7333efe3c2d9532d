# Fine linen canvas: an even plain weave of pale threads.
ISL 1
size 256 256
seed 201
background 226 218 200
pattern kind=7 cell=4 width=70 opacity=70 color1=196,186,166 color2=238,232,216
noise cell=1 opacity=15 color1=190,182,166
fibers count=200 length=6 thickness=1 angle=0 jitter=10 curl=4 vary=50 opacity=25 color1=200,190,170 color2=245,240,228
blur radius=1 passes=1
