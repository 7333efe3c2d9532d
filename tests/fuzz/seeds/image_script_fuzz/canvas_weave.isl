# Canvas weave: crossing thin lines over Perlin noise, tileable.
ISL 1
size 128 128
seed 7
perlin cell=32 octaves=3 persistence=55 color1=170,170,170 color2=235,235,235
lines count=40 thickness=1 angle=0 jitter=4 color2=120,120,120 opacity=60 mode=1
lines count=40 thickness=1 angle=90 jitter=4 color2=120,120,120 opacity=60 mode=1
