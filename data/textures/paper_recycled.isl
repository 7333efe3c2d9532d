# Recycled paper: grey-beige pulp with short dark fibres and flecks.
ISL 1
size 256 256
seed 105
background 214 208 194
perlin cell=64 octaves=4 opacity=30 color1=196,190,176 color2=228,222,210
fibers count=400 length=5 thickness=1 jitter=360 curl=30 vary=60 opacity=55 color1=150,144,132 color2=120,112,100
points count=250 size=2 vary=50 opacity=60 color1=170,160,150 color2=90,84,76
noise cell=1 opacity=12 color1=180,176,166
