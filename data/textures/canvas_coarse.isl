# Coarse artist canvas: a heavy weave with irregular slubbed threads.
ISL 1
size 256 256
seed 202
background 214 204 184
pattern kind=7 cell=8 width=80 opacity=80 color1=170,160,140 color2=234,226,208
fibers count=300 length=10 thickness=2 angle=0 jitter=6 curl=3 vary=60 opacity=30 color1=190,180,160 color2=244,238,224
fibers count=300 length=10 thickness=2 angle=90 jitter=6 curl=3 vary=60 opacity=30 color1=190,180,160 color2=244,238,224
noise cell=1 opacity=12 color1=170,162,146
blur radius=1 passes=1
