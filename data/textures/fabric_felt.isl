# Felt: densely matted short fibres in every direction, soft and even.
ISL 1
size 256 256
seed 205
background 150 38 44
fibers count=3000 length=5 thickness=1 jitter=360 curl=40 vary=80 opacity=45 color1=110,24,30 color2=196,70,74
noise cell=1 opacity=15 color1=120,30,34 color2=180,60,64
blur radius=1 passes=1
