# Denim: indigo twill with fine diagonal ribs and white flecks of weft.
ISL 1
size 256 256
seed 204
background 42 64 110
lines count=256 thickness=2 angle=45 jitter=0 length=100 vary=40 opacity=60 color1=30,46,84 color2=70,96,146
noise cell=1 opacity=30 color1=36,54,96 color2=120,140,180
points count=700 size=1 vary=60 opacity=45 color1=120,140,180 color2=200,210,228
blur radius=1 passes=1
