# Cobblestones: rounded grey stones of different shades set in dark mortar.
ISL 1
size 256 256
seed 404
background 52 48 44
blobs count=45 min=11 max=17 wobble=20 softness=2 vary=70 color1=90,86,80 color2=160,154,146
perlin cell=32 octaves=3 opacity=30 mode=1 color1=150,150,150 color2=255,255,255
noise cell=1 opacity=15 color1=60,58,54 color2=170,166,160
