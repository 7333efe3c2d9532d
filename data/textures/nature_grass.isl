# Grass: dense blades leaning upward in many greens.
ISL 1
size 256 256
seed 502
background 52 92 34
fibers count=1600 length=8 thickness=2 angle=90 jitter=40 curl=8 vary=80 color1=40,80,26 color2=120,176,70
fibers count=600 length=6 thickness=1 angle=90 jitter=50 curl=8 vary=60 color1=90,140,50 color2=170,210,110
