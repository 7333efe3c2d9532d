# A bristle brush tip: white dots of varying strength in a disc-like cluster
# on black, softened a little. White is full coverage.
ISL 1
size 96 96
seed 311
background 0 0 0
circles count=1 min=40 max=40 color2=60,60,60
points count=160 size=5 vary=70
blur radius=1 passes=2
