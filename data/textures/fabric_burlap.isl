# Burlap: a loose brown weave of hairy jute threads with gaps between them.
ISL 1
size 256 256
seed 203
background 92 70 44
pattern kind=7 cell=10 width=72 color1=92,70,44 color2=176,142,96
fibers count=800 length=4 thickness=1 jitter=360 curl=40 vary=70 opacity=40 color1=120,92,58 color2=206,174,128
noise cell=1 opacity=20 color1=80,60,40 color2=200,170,120
