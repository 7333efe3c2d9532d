# Tree bark: deep vertical furrows between rough grey-brown ridges.
ISL 1
size 256 256
seed 303
background 88 72 58
fibers count=300 length=60 thickness=5 angle=90 jitter=8 curl=6 vary=80 color1=60,48,38 color2=130,112,94
fibers count=200 length=40 thickness=2 angle=90 jitter=8 curl=6 vary=50 opacity=70 color1=40,30,24 color2=70,56,44
noise cell=1 opacity=20 color1=60,50,40 color2=140,124,108
