ISL 1
size 8 8
lines count=3 thickness=2 angle=30 jitter=10 length=80 vary=50
circles count=2 min=1 max=3 outline=1
contrast contrast=40 brightness=-10
invert
grayscale
threshold level=100
