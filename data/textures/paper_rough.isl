# Rough cold-pressed paper: deep tooth, pitted with small hollows.
ISL 1
size 256 256
seed 102
background 236 232 222
perlin cell=32 octaves=4 persistence=60 opacity=45 color1=196,190,178 color2=252,250,244
points count=900 size=3 vary=80 opacity=35 color1=190,184,172 color2=226,220,210
noise cell=1 opacity=18 color1=190,186,176
blur radius=1 passes=1
