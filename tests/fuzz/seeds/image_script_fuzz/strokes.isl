ISL 1
size 40 30
seed 9
rectangles count=5 min=2 max=9 outline=1 vary=50
splines count=3 thickness=2 size=60 bend=70
worms count=3 thickness=3 length=40 curl=40
fibers count=20 length=30 thickness=1 angle=10 jitter=20 curl=5 vary=60
trees count=2 size=80 depth=5 spread=30 thickness=3
blobs count=4 min=3 max=8 wobble=50 softness=2 mode=105
