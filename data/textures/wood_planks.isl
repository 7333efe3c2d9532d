# Wooden planks: grained boards 64 pixels wide with dark joints between them.
ISL 1
size 256 256
seed 302
background 182 132 80
fibers count=500 length=100 thickness=2 angle=0 jitter=2 curl=1 vary=70 opacity=50 color1=204,156,102 color2=124,80,42
perlin cell=64 octaves=2 opacity=25 color1=160,110,64 color2=200,150,96
pattern kind=1 cell=64 width=4 mode=3 color1=255,255,255 color2=70,44,20
blur radius=1 passes=1
