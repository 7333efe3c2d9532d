# Speckled grit: scattered points and small rings on white.
ISL 1
size 200 200
seed 99
background 255 255 255
points count=600 size=2 vary=80 color2=0,0,0
circles count=60 min=2 max=6 outline=1 vary=50 color2=40,40,40
threshold level=160
