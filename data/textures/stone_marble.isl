# Marble: white stone with soft grey clouding crossed by thin winding veins.
ISL 1
size 256 256
seed 402
background 236 234 230
perlin cell=128 octaves=5 persistence=55 opacity=45 color1=200,198,196 color2=246,245,242
worms count=14 thickness=2 length=400 curl=18 vary=60 opacity=70 color1=190,188,186 color2=120,118,116
worms count=20 thickness=1 length=250 curl=24 vary=60 opacity=60 color1=200,198,196 color2=150,148,146
blur radius=1 passes=2
