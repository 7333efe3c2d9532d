# Leather: brown hide with a pebbled grain of small creased cells.
ISL 1
size 256 256
seed 503
background 112 66 38
perlin cell=64 octaves=3 opacity=35 color1=94,54,30 color2=132,82,50
circles count=1400 min=3 max=6 outline=1 vary=50 opacity=50 color1=96,56,32 color2=70,40,22
noise cell=1 opacity=12 color1=80,46,26 color2=150,96,60
blur radius=1 passes=1
